#pragma once
// The Tag dialog (Shift+number): one tag value, read-only, ready to review
// or copy.
#include <string>

class wxDialog;
class wxWindow;

namespace tav {

// Commands 270 ... 279: shows the field's value modally over the main window.
void ShowTagDialog(int commandId);

// The dialog, built but not shown: caption and value as given, the text
// selected and focused. The caller owns it.
wxDialog* CreateTagDialog(wxWindow* parent, const std::string& caption, const std::string& value);

}  // namespace tav
