#include "app/OpenUrlDialog.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/Accessibility.h"
#include "app/ShellActions.h"
#include "i18n/Translate.h"

namespace tav {

namespace {

wxString Tr(const char* english) { return wxString::FromUTF8(Translate(english)); }

enum { kIdUrlEdit = 651 };

wxString ClipboardUrl() {
    wxString text;
    wxClipboard* clip = wxTheClipboard;
    if (!clip || !clip->Open()) return text;
    if (clip->IsSupported(wxDF_UNICODETEXT)) {
        wxTextDataObject data;
        if (clip->GetData(data)) text = data.GetText();
    }
    clip->Close();
    if (!IsUrlPrefill(text.utf8_string())) return {};
    return text.Left(kMaxUrlLength);
}

}  // namespace

std::string AskForStreamUrl(wxWindow* parent) {
    wxDialog dialog(parent, wxID_ANY, Tr("Open URL"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    // The label comes right before its field, so it names the field.
    auto* label = new wxStaticText(&dialog, wxID_ANY, Tr("Enter stream &URL (http/https):"));
    auto* edit = new wxTextCtrl(&dialog, kIdUrlEdit, wxEmptyString, wxDefaultPosition, wxSize(380, -1));
    edit->SetMaxLength(kMaxUrlLength);
    auto* ok = new wxButton(&dialog, wxID_OK, Tr("OK"));
    auto* cancel = new wxButton(&dialog, wxID_CANCEL, Tr("Cancel"));
    ok->SetDefault();

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxRIGHT, 8);
    buttons->Add(cancel, 0);
    sizer->Add(label, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(edit, 0, wxEXPAND | wxALL, 12);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    dialog.SetSizerAndFit(sizer);
    MarkAsDialog(&dialog);
    MarkAsFiller(edit);
    dialog.CentreOnParent();

    const wxString prefill = ClipboardUrl();
    if (!prefill.empty()) {
        edit->ChangeValue(prefill);
        edit->SelectAll();
    }
    edit->SetFocus();

    if (dialog.ShowModal() != wxID_OK) return {};
    return edit->GetValue().Left(kMaxUrlLength).utf8_string();
}

}  // namespace tav
