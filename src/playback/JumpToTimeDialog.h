#pragma once
// The Jump to Time dialog (J).
class wxWindow;

namespace tav {

// Command 217: asks for a time, prefilled with the current position, and
// seeks there after OK. Cancel does nothing.
void ShowJumpToTimeDialog(wxWindow* parent);

}  // namespace tav
