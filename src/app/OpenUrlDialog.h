#pragma once
// The Open URL dialog (Ctrl+U).
#include <string>

class wxWindow;

namespace tav {

// Asks for a stream address; clipboard text that starts with http:// or
// https:// is offered. Returns the text (at most 2048 characters) after OK,
// an empty text after Cancel.
std::string AskForStreamUrl(wxWindow* parent);

}  // namespace tav
