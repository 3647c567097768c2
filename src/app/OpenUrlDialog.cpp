#include "app/OpenUrlDialog.h"

#include <wx/clipbrd.h>

#include "app/ShellActions.h"
#include "app/TextPrompt.h"

namespace tav {

namespace {

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
    TextPrompt prompt;
    prompt.dialogId = 650;
    prompt.caption = "Open URL";
    prompt.label = "Enter stream &URL (http/https):";
    prompt.editId = kIdUrlEdit;
    prompt.width = 380;
    prompt.maxLength = kMaxUrlLength;
    prompt.initial = ClipboardUrl().utf8_string();
    return AskForText(parent, prompt).value_or("");
}

}  // namespace tav
