#include "playback/JumpToTimeDialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/Accessibility.h"
#include "i18n/Translate.h"
#include "playback/AudioEngine.h"
#include "playback/FormatTime.h"
#include "playback/Seeking.h"

namespace tav {

namespace {

wxString Tr(const char* english) { return wxString::FromUTF8(Translate(english)); }

enum { kIdDialog = 660, kIdTimeEdit = 661 };
constexpr unsigned long kMaxTimeText = 64;

}  // namespace

void ShowJumpToTimeDialog(wxWindow* parent) {
    wxDialog dialog(parent, kIdDialog, Tr("Jump to Time"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    // The label comes right before its field, so it names the field.
    auto* label = new wxStaticText(&dialog, wxID_ANY, Tr("Enter &time (mm:ss or hh:mm:ss):"));
    auto* edit = new wxTextCtrl(&dialog, kIdTimeEdit, wxEmptyString, wxDefaultPosition, wxSize(220, -1));
    edit->SetMaxLength(kMaxTimeText);
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

    edit->ChangeValue(wxString::FromUTF8(FormatTime(std::max(0.0, CurrentPosition()))));
    edit->SelectAll();
    edit->SetFocus();

    if (dialog.ShowModal() != wxID_OK) return;
    JumpToTime(edit->GetValue().Left(kMaxTimeText).utf8_string());
}

}  // namespace tav
