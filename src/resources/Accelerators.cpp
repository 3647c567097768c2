#include "resources/Accelerators.h"

#include <array>

namespace tav {

namespace {

constexpr uint8_t N = 0;
constexpr uint8_t S = kAccelShift;
constexpr uint8_t C = kAccelCtrl;
constexpr uint8_t CS = kAccelCtrl | kAccelShift;

constexpr std::array kTable{
    AccelEntry{C, 'O', 101},
    AccelEntry{C, kVkOemComma, 103},
    AccelEntry{C, 'U', 104},
    AccelEntry{C, 'Y', 105},
    AccelEntry{C, 'H', 106},
    AccelEntry{C, 'R', 107},
    AccelEntry{C, 'S', 108},
    AccelEntry{CS, 'O', 110},
    AccelEntry{C, 'P', 111},
    AccelEntry{C, 'D', 113},
    AccelEntry{N, kVkSpace, 201},
    AccelEntry{N, 'V', 202},
    AccelEntry{N, 'Z', 203},
    AccelEntry{N, 'B', 204},
    AccelEntry{N, kVkLeft, 205},
    AccelEntry{N, kVkRight, 206},
    AccelEntry{C, kVkUp, 207},
    AccelEntry{C, kVkDown, 208},
    AccelEntry{CS, 'E', 209},
    AccelEntry{CS, 'R', 210},
    AccelEntry{CS, 'T', 211},
    AccelEntry{N, 'X', 212},
    AccelEntry{N, 'C', 213},
    AccelEntry{N, 'H', 215},
    AccelEntry{N, kVkHome, 216},
    AccelEntry{N, 'J', 217},
    AccelEntry{N, 'U', 218},
    AccelEntry{N, 'E', 219},
    AccelEntry{N, kVkOemComma, 220},
    AccelEntry{N, kVkOemPeriod, 221},
    AccelEntry{N, kVkOem4, 230},
    AccelEntry{N, kVkOem6, 231},
    AccelEntry{N, kVkUp, 232},
    AccelEntry{N, kVkDown, 233},
    AccelEntry{N, kVkBack, 234},
    AccelEntry{C, kVkHome, 235},
    AccelEntry{C, kVkEnd, 236},
    AccelEntry{N, 'A', 237},
    AccelEntry{N, 'P', 238},
    AccelEntry{C, '1', 240},
    AccelEntry{C, '2', 241},
    AccelEntry{C, '3', 242},
    AccelEntry{C, '4', 243},
    AccelEntry{C, '5', 244},
    AccelEntry{C, '6', 245},
    AccelEntry{C, '7', 246},
    AccelEntry{C, '8', 247},
    AccelEntry{C, '9', 248},
    AccelEntry{C, '0', 249},
    AccelEntry{C, kVkOemPlus, 251},
    AccelEntry{C, kVkOemMinus, 252},
    AccelEntry{N, '0', 260},
    AccelEntry{N, '1', 261},
    AccelEntry{N, '2', 262},
    AccelEntry{N, '3', 263},
    AccelEntry{N, '4', 264},
    AccelEntry{N, '5', 265},
    AccelEntry{N, '6', 266},
    AccelEntry{N, '7', 267},
    AccelEntry{N, '8', 268},
    AccelEntry{N, '9', 269},
    AccelEntry{S, '1', 270},
    AccelEntry{S, '2', 271},
    AccelEntry{S, '3', 272},
    AccelEntry{S, '4', 273},
    AccelEntry{S, '5', 274},
    AccelEntry{S, '6', 275},
    AccelEntry{S, '7', 276},
    AccelEntry{S, '8', 277},
    AccelEntry{S, '9', 278},
    AccelEntry{S, '0', 279},
    AccelEntry{N, 'M', 800},
    AccelEntry{C, 'M', 801},
    AccelEntry{N, 'R', 820},
    AccelEntry{CS, 'P', 940},
    AccelEntry{CS, 'H', 990},
    AccelEntry{N, kVkF11, 1200},
    // Listed after 211 with the same keys, so it is never reached from here.
    AccelEntry{CS, 'T', 1201},
    AccelEntry{CS, 'A', 1240},
    AccelEntry{CS, 'S', 1280},
};

}  // namespace

std::span<const AccelEntry> AcceleratorTable() { return kTable; }

int LookupAccelerator(uint8_t modifiers, uint16_t key) {
    for (const AccelEntry& e : kTable)
        if (e.modifiers == modifiers && e.key == key) return e.command;
    return 0;
}

}  // namespace tav
