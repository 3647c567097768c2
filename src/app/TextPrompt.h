#pragma once
// A small modal dialog that asks for one line of text: a label naming an edit
// field, then OK and Cancel. Open URL and Jump to Time are made of it.
#include <optional>
#include <string>

class wxWindow;

namespace tav {

struct TextPrompt {
    int dialogId = -1;      // wxID_ANY
    std::string caption;    // English: translated when shown
    std::string label;      // English, with its "&" mnemonic
    int editId = -1;
    int width = 300;
    unsigned long maxLength = 0;  // 0 = no limit
    std::string initial;    // shown all selected
};

// The text on OK (cut to maxLength); nothing on Cancel or Escape.
std::optional<std::string> AskForText(wxWindow* parent, const TextPrompt& prompt);

}  // namespace tav
