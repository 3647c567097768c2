#pragma once
// Accelerator table 300: key combinations of the main window and their command
// ids, in table order. Keys are Windows virtual-key codes (as the Hotkeys
// section of the settings file keeps them); the window maps them to its
// toolkit. When a combination is listed twice the first entry wins.
#include <cstdint>
#include <span>

namespace tav {

enum AccelModifier : uint8_t { kAccelShift = 1, kAccelCtrl = 2, kAccelAlt = 4 };

// The virtual keys the table uses besides '0'-'9' and 'A'-'Z'.
enum VirtualKey : uint16_t {
    kVkBack = 0x08,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkF11 = 0x7A,
    kVkOemPlus = 0xBB,    // the "=" / "+" key
    kVkOemComma = 0xBC,
    kVkOemMinus = 0xBD,
    kVkOemPeriod = 0xBE,
    kVkOem4 = 0xDB,       // "["
    kVkOem6 = 0xDD,       // "]"
};

struct AccelEntry {
    uint8_t modifiers = 0;  // AccelModifier bits
    uint16_t key = 0;       // virtual-key code
    int command = 0;
};

std::span<const AccelEntry> AcceleratorTable();

// The command of the first entry with exactly these modifiers and key; 0 when
// none.
int LookupAccelerator(uint8_t modifiers, uint16_t key);

}  // namespace tav
