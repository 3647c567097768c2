#include "app/Accessibility.h"

#include <atk/atk.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/window.h>

namespace tav {

namespace {

AtkObject* AccessibleOf(wxWindow* window) {
    if (!window || !window->GetHandle()) return nullptr;
    return gtk_widget_get_accessible(window->GetHandle());
}

guint GdkKeyvalOf(int wxKey) {
    switch (wxKey) {
        case WXK_LEFT: return GDK_KEY_Left;
        case WXK_RIGHT: return GDK_KEY_Right;
        case WXK_UP: return GDK_KEY_Up;
        case WXK_DOWN: return GDK_KEY_Down;
        case WXK_HOME: return GDK_KEY_Home;
        case WXK_END: return GDK_KEY_End;
        case WXK_SPACE: return GDK_KEY_space;
        case WXK_BACK: return GDK_KEY_BackSpace;
        case WXK_F11: return GDK_KEY_F11;
        default: break;
    }
    if (wxKey > 0 && wxKey < 0x80) return gdk_unicode_to_keyval(static_cast<guint32>(g_ascii_tolower(static_cast<gchar>(wxKey))));
    return 0;
}

void ShowRefusedShortcut(wxMenuItem* item, const wxString& label) {
    std::unique_ptr<wxAcceleratorEntry> accel(wxAcceleratorEntry::Create(label));
    if (!accel) return;
    int mods = 0;
    if (accel->GetFlags() & wxACCEL_SHIFT) mods |= GDK_SHIFT_MASK;
    if (accel->GetFlags() & wxACCEL_CTRL) mods |= GDK_CONTROL_MASK;
    if (accel->GetFlags() & wxACCEL_ALT) mods |= GDK_MOD1_MASK;
    const guint keyval = GdkKeyvalOf(accel->GetKeyCode());
    if (keyval == 0 || gtk_accelerator_valid(keyval, static_cast<GdkModifierType>(mods))) return;
    GtkWidget* widget = item->GetMenuItem();
    GtkWidget* child = widget ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (child && GTK_IS_ACCEL_LABEL(child))
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(child), keyval, static_cast<GdkModifierType>(mods));
}

gboolean NameBoxOnMap(GSignalInvocationHint*, guint count, const GValue* values, gpointer) {
    if (count < 1) return TRUE;
    GObject* object = static_cast<GObject*>(g_value_get_object(&values[0]));
    if (object && GTK_IS_MESSAGE_DIALOG(object)) {
        const gchar* title = gtk_window_get_title(GTK_WINDOW(object));
        if (title && *title) atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(object)), title);
    }
    return TRUE;  // stay installed
}

}  // namespace

void NameMessageBoxesByCaption() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    const guint signal = g_signal_lookup("map", GTK_TYPE_WIDGET);
    if (signal) g_signal_add_emission_hook(signal, 0, &NameBoxOnMap, nullptr, nullptr);
}

void SetAccessibleName(wxWindow* window, const std::string& name) {
    if (AtkObject* acc = AccessibleOf(window)) atk_object_set_name(acc, name.c_str());
}

void MarkAsFiller(wxWindow* window) {
    GtkWidget* client = window && window->GetHandle() ? gtk_widget_get_parent(window->GetHandle()) : nullptr;
    if (client) atk_object_set_role(gtk_widget_get_accessible(client), ATK_ROLE_FILLER);
}

void MarkAsDialog(wxWindow* dialog) {
    if (AtkObject* acc = AccessibleOf(dialog)) atk_object_set_role(acc, ATK_ROLE_DIALOG);
}

void KeepFocusAway(wxWindow* window) {
    if (window && window->GetHandle()) gtk_widget_set_can_focus(window->GetHandle(), FALSE);
}

void MakeStatusBarAccessible(wxStatusBar* bar) {
    if (AtkObject* acc = AccessibleOf(bar)) atk_object_set_role(acc, ATK_ROLE_STATUSBAR);
}

void SetStatusBarAccessibleText(wxStatusBar* bar, const std::string& text) {
    if (AtkObject* acc = AccessibleOf(bar)) atk_object_set_name(acc, text.c_str());
}

void ShowRefusedMenuShortcuts(wxMenuBar* menuBar, const std::vector<std::pair<int, std::string>>& labels) {
    if (!menuBar) return;
    for (const auto& [id, label] : labels)
        if (wxMenuItem* item = menuBar->FindItem(id)) ShowRefusedShortcut(item, wxString::FromUTF8(label));
}

}  // namespace tav
