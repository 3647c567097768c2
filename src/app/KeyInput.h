#pragma once
// Keys of accelerator table 300 on wxGTK. The table itself becomes a
// wxAcceleratorTable; the keys wx cannot match that way (bare arrows, which
// GTK refuses as accelerators, and keys wx reports under another code, such
// as Shift+0 seen as ")" or the digit row of layouts that need Shift for
// digits) are recognised from the physical key by the main window's key
// handler instead.
#include <cstdint>

#include <wx/accel.h>
#include <wx/event.h>

namespace tav {

// The table with every entry wx can hold; a combination listed twice keeps
// its first command.
wxAcceleratorTable BuildMainAccelerators();

// The wx key code of a virtual key, 0 when it has none.
int WxKeyCodeOf(uint16_t virtualKey);

// Virtual key and modifiers of a key press, taken from the physical key.
uint16_t VirtualKeyOf(const wxKeyEvent& event);
uint8_t AccelModifiersOf(const wxKeyEvent& event);

// The command the key handler must dispatch itself for this key press, or 0
// when there is none or the accelerator table will see it.
int CommandForKeyHandler(const wxKeyEvent& event);

}  // namespace tav
