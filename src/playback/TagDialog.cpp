#include "playback/TagDialog.h"

#include <atk/atk.h>
#include <gtk/gtk.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "playback/TrackInfo.h"

namespace tav {

namespace {

enum { kIdTagDialog = 910, kIdTagValue = 911 };

// A multi-line text control is a scrolled pane around the text view that
// takes the focus: the view carries the name, the pane is passed over.
void NameTextView(wxTextCtrl* text, const std::string& name) {
    GtkWidget* pane = text->GetHandle();
    if (!pane) return;
    GtkWidget* view = GTK_IS_BIN(pane) ? gtk_bin_get_child(GTK_BIN(pane)) : nullptr;
    if (view) {
        atk_object_set_name(gtk_widget_get_accessible(view), name.c_str());
        atk_object_set_role(gtk_widget_get_accessible(pane), ATK_ROLE_FILLER);
    } else {
        atk_object_set_name(gtk_widget_get_accessible(pane), name.c_str());
    }
}

void MarkDialogRole(wxDialog* dialog) {
    // GTK shows a plain top-level window as a frame; screen readers announce
    // a dialog only with the dialog role.
    if (GtkWidget* w = dialog->GetHandle()) atk_object_set_role(gtk_widget_get_accessible(w), ATK_ROLE_DIALOG);
}

}  // namespace

wxDialog* CreateTagDialog(wxWindow* parent, const std::string& caption, const std::string& value) {
    auto* dialog = new wxDialog(parent, kIdTagDialog, wxString::FromUTF8(caption), wxDefaultPosition, wxDefaultSize,
                                wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    auto* text = new wxTextCtrl(dialog, kIdTagValue, wxString::FromUTF8(value), wxDefaultPosition, wxSize(360, 120),
                                wxTE_MULTILINE | wxTE_READONLY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(text, 1, wxEXPAND | wxALL, 8);
    dialog->SetSizerAndFit(sizer);
    dialog->SetMinSize(dialog->GetSize());
    MarkDialogRole(dialog);
    NameTextView(text, caption);

    // Enter and Escape both close it; there are no buttons to reach.
    dialog->Bind(wxEVT_CHAR_HOOK, [dialog](wxKeyEvent& e) {
        const int key = e.GetKeyCode();
        if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
            dialog->EndModal(wxID_OK);
        } else if (key == WXK_ESCAPE) {
            dialog->EndModal(wxID_CANCEL);
        } else {
            e.Skip();
        }
    });
    // Selected again once shown: the toolkit may move the cursor when the
    // view first takes the focus.
    dialog->Bind(wxEVT_INIT_DIALOG, [text](wxInitDialogEvent& e) {
        text->SetFocus();
        text->SelectAll();
        text->CallAfter([text] { text->SelectAll(); });
        e.Skip();
    });
    text->SetFocus();
    text->SelectAll();
    dialog->CentreOnParent();
    return dialog;
}

void ShowTagDialog(int commandId) {
    const std::string caption = TagDialogCaption(commandId);
    if (caption.empty()) return;
    wxWindow* parent = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    wxDialog* dialog = CreateTagDialog(parent, caption, TagDialogValue(commandId));
    dialog->ShowModal();
    dialog->Destroy();
}

}  // namespace tav
