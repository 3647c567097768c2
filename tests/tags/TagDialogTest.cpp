// The Tag dialog in a real toolkit on a private X server: caption, the
// read-only value selected and focused, the names a screen reader reads, and
// Enter and Escape closing it. Keys go through GTK's own event dispatch.
#include <gtest/gtest.h>

#include <atk/atk.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "Fixtures.h"
#include "playback/TagDialog.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// An Xvfb of our own and the toolkit started on it, once for the program.
class Display : public testing::Environment {
public:
    void SetUp() override {
        if (!Exists("/usr/bin/Xvfb")) return;
        int n = 150 + static_cast<int>(getpid() % 100);
        while (Exists("/tmp/.X" + std::to_string(n) + "-lock")) ++n;
        const std::string display = ":" + std::to_string(n);
        server_ = std::make_unique<tavtest::Child>(
            std::vector<std::string>{"/usr/bin/Xvfb", display, "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        for (int i = 0; i < 200 && !Exists("/tmp/.X11-unix/X" + std::to_string(n)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        setenv("DISPLAY", display.c_str(), 1);
        // No session bus and no accessibility bus: nothing may be started
        // that outlives the test. The toolkit's accessible objects exist anyway.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        wxApp::SetInstance(new wxApp());
        int argc = 1;
        static char name[] = "tags_dialog_tests";
        char* argv[] = {name, nullptr};
        ready_ = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    }
    void TearDown() override {
        if (ready_) wxEntryCleanup();
        server_.reset();
    }
    static bool ready() { return ready_; }

private:
    std::unique_ptr<tavtest::Child> server_;
    static bool ready_;
};
bool Display::ready_ = false;

const auto* const kDisplay = testing::AddGlobalTestEnvironment(new Display);

GtkWidget* TextView(wxTextCtrl* text) { return gtk_bin_get_child(GTK_BIN(text->GetHandle())); }

std::string AccessibleName(GtkWidget* w) {
    const char* n = atk_object_get_name(gtk_widget_get_accessible(w));
    return n ? n : "";
}

// A key press as the X server would deliver it to the dialog.
void PressKey(wxDialog* dialog, guint keyval) {
    GdkWindow* window = gtk_widget_get_window(dialog->GetHandle());
    GdkEvent* e = gdk_event_new(GDK_KEY_PRESS);
    e->key.window = GDK_WINDOW(g_object_ref(window));
    e->key.send_event = TRUE;
    e->key.time = GDK_CURRENT_TIME;
    e->key.keyval = keyval;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(window)), keyval, &keys,
                                          &count) &&
        count > 0)
        e->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(e, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_window_get_display(window))));
    gtk_main_do_event(e);
    gdk_event_free(e);
}

class TagDialog : public testing::Test {
protected:
    void SetUp() override {
        if (!Display::ready()) GTEST_SKIP() << "no X server for the dialog";
    }
};

TEST_F(TagDialog, ShowsTheValueReadyToCopy) {
    std::unique_ptr<wxDialog> dialog(tav::CreateTagDialog(nullptr, "Artist", "Band One"));
    EXPECT_EQ(dialog->GetTitle().utf8_string(), "Artist");
    auto* text = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(911));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetValue().utf8_string(), "Band One");
    EXPECT_TRUE(text->IsMultiLine());
    EXPECT_FALSE(text->IsEditable());
    // The screen reader meets a dialog, and in it the text named by the caption.
    EXPECT_EQ(atk_object_get_role(gtk_widget_get_accessible(dialog->GetHandle())), ATK_ROLE_DIALOG);
    EXPECT_EQ(AccessibleName(TextView(text)), "Artist");
    EXPECT_EQ(atk_object_get_role(gtk_widget_get_accessible(text->GetHandle())), ATK_ROLE_FILLER);
}

struct KeyCase {
    guint keyval;
    int result;
};

class TagDialogKeys : public TagDialog, public testing::WithParamInterface<KeyCase> {};

TEST_P(TagDialogKeys, CloseTheDialog) {
    std::unique_ptr<wxDialog> dialog(tav::CreateTagDialog(nullptr, "Title", "Band - Song"));
    auto* text = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(911));
    ASSERT_NE(text, nullptr);
    bool focused = false;
    long from = -1, to = -1;
    // Only a safety net: a dialog that ignores the key must not hang the run.
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { dialog->EndModal(-1); });
    guard.StartOnce(10000);
    dialog->CallAfter([&] {
        focused = gtk_widget_is_focus(TextView(text));
        text->GetSelection(&from, &to);
        PressKey(dialog.get(), GetParam().keyval);
    });
    EXPECT_EQ(dialog->ShowModal(), GetParam().result);
    EXPECT_TRUE(focused);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, text->GetLastPosition());
}

INSTANTIATE_TEST_SUITE_P(Keys, TagDialogKeys,
                         testing::Values(KeyCase{GDK_KEY_Return, wxID_OK}, KeyCase{GDK_KEY_KP_Enter, wxID_OK},
                                         KeyCase{GDK_KEY_Escape, wxID_CANCEL}));

}  // namespace
