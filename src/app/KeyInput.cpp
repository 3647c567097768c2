#include "app/KeyInput.h"

#include <gdk/gdk.h>

#include <set>
#include <utility>
#include <vector>

#include "resources/Accelerators.h"

namespace tav {

int WxKeyCodeOf(uint16_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
    switch (vk) {
        case kVkBack: return WXK_BACK;
        case kVkEscape: return WXK_ESCAPE;
        case kVkSpace: return WXK_SPACE;
        case kVkEnd: return WXK_END;
        case kVkHome: return WXK_HOME;
        case kVkLeft: return WXK_LEFT;
        case kVkUp: return WXK_UP;
        case kVkRight: return WXK_RIGHT;
        case kVkDown: return WXK_DOWN;
        case kVkF11: return WXK_F11;
        case kVkOemPlus: return '=';
        case kVkOemComma: return ',';
        case kVkOemMinus: return '-';
        case kVkOemPeriod: return '.';
        case kVkOem4: return '[';
        case kVkOem6: return ']';
        default: return 0;
    }
}

namespace {

int WxFlagsOf(uint8_t mods) {
    int flags = wxACCEL_NORMAL;
    if (mods & kAccelShift) flags |= wxACCEL_SHIFT;
    if (mods & kAccelCtrl) flags |= wxACCEL_CTRL;
    if (mods & kAccelAlt) flags |= wxACCEL_ALT;
    return flags;
}

bool IsArrow(uint16_t vk) { return vk == kVkLeft || vk == kVkUp || vk == kVkRight || vk == kVkDown; }

uint16_t VirtualKeyOfKeyval(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return static_cast<uint16_t>('A' + (keyval - GDK_KEY_a));
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return static_cast<uint16_t>('A' + (keyval - GDK_KEY_A));
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return static_cast<uint16_t>('0' + (keyval - GDK_KEY_0));
    switch (keyval) {
        case GDK_KEY_BackSpace: return kVkBack;
        case GDK_KEY_Escape: return kVkEscape;
        case GDK_KEY_space: return kVkSpace;
        case GDK_KEY_End:
        case GDK_KEY_KP_End: return kVkEnd;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home: return kVkHome;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left: return kVkLeft;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up: return kVkUp;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right: return kVkRight;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down: return kVkDown;
        case GDK_KEY_F11: return kVkF11;
        case GDK_KEY_equal:
        case GDK_KEY_plus: return kVkOemPlus;
        case GDK_KEY_comma: return kVkOemComma;
        case GDK_KEY_minus: return kVkOemMinus;
        case GDK_KEY_period: return kVkOemPeriod;
        case GDK_KEY_bracketleft: return kVkOem4;
        case GDK_KEY_bracketright: return kVkOem6;
        default: return 0;
    }
}

}  // namespace

wxAcceleratorTable BuildMainAccelerators() {
    std::vector<wxAcceleratorEntry> entries;
    std::set<std::pair<uint8_t, uint16_t>> seen;
    for (const AccelEntry& e : AcceleratorTable()) {
        // The first entry of a combination is the one that counts.
        if (!seen.insert({e.modifiers, e.key}).second) continue;
        const int code = WxKeyCodeOf(e.key);
        if (code == 0) continue;
        entries.emplace_back(WxFlagsOf(e.modifiers), code, e.command);
    }
    return wxAcceleratorTable(static_cast<int>(entries.size()), entries.data());
}

uint16_t VirtualKeyOf(const wxKeyEvent& event) {
    const guint hardware = event.GetRawKeyFlags();
    GdkDisplay* display = gdk_display_get_default();
    GdkKeymap* keymap = display ? gdk_keymap_get_for_display(display) : nullptr;
    GdkKeymapKey* keys = nullptr;
    guint* keyvals = nullptr;
    gint n = 0;
    uint16_t vk = 0;
    if (keymap && hardware && gdk_keymap_get_entries_for_keycode(keymap, hardware, &keys, &keyvals, &n)) {
        uint16_t base = 0, digit = 0;
        for (gint i = 0; i < n; ++i) {
            if (keys[i].group != 0) continue;
            const uint16_t v = VirtualKeyOfKeyval(keyvals[i]);
            if (keys[i].level == 0) base = v;
            if (v >= '0' && v <= '9' && !digit) digit = v;
        }
        // The digit row is the digit keys whatever the layout puts on level 0.
        vk = (digit && !(base >= 'A' && base <= 'Z')) ? digit : base;
        g_free(keys);
        g_free(keyvals);
    }
    if (vk == 0) vk = VirtualKeyOfKeyval(event.GetRawKeyCode());
    return vk;
}

uint8_t AccelModifiersOf(const wxKeyEvent& event) {
    uint8_t mods = 0;
    if (event.ShiftDown()) mods |= kAccelShift;
    if (event.ControlDown()) mods |= kAccelCtrl;
    if (event.AltDown()) mods |= kAccelAlt;
    return mods;
}

int CommandForKeyHandler(const wxKeyEvent& event) {
    if (event.MetaDown()) return 0;
    const uint16_t vk = VirtualKeyOf(event);
    if (vk == 0) return 0;
    const uint8_t mods = AccelModifiersOf(event);
    const int command = LookupAccelerator(mods, vk);
    if (command == 0) return 0;
    const bool tableSeesIt = !(mods == 0 && IsArrow(vk)) && event.GetKeyCode() == WxKeyCodeOf(vk);
    return tableSeesIt ? 0 : command;
}

}  // namespace tav
