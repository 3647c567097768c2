#include "app/TextPrompt.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/Accessibility.h"
#include "i18n/Translate.h"

namespace tav {

namespace {
wxString Tr(const std::string& english) { return wxString::FromUTF8(Translate(english)); }
}  // namespace

std::optional<std::string> AskForText(wxWindow* parent, const TextPrompt& p) {
    wxDialog dialog(parent, p.dialogId, Tr(p.caption));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    // The label comes right before its field, so it names the field.
    auto* label = new wxStaticText(&dialog, wxID_ANY, Tr(p.label));
    auto* edit = new wxTextCtrl(&dialog, p.editId, wxEmptyString, wxDefaultPosition, wxSize(p.width, -1));
    if (p.maxLength) edit->SetMaxLength(p.maxLength);
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

    if (!p.initial.empty()) {
        edit->ChangeValue(wxString::FromUTF8(p.initial));
        edit->SelectAll();
    }
    edit->SetFocus();

    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    wxString text = edit->GetValue();
    if (p.maxLength) text = text.Left(p.maxLength);
    return text.utf8_string();
}

}  // namespace tav
