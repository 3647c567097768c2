#pragma once
// Menu 100, the main window's menu bar, as data. Texts are the English
// resource texts ("&" marks the mnemonic, "\t" starts the shortcut shown);
// the window translates them when it builds the menu.
#include <string>
#include <vector>

namespace tav {

struct MenuEntry {
    enum class Kind { Item, Check, Separator, Submenu };
    Kind kind = Kind::Item;
    int id = 0;                       // command id; 0 for separators and submenus
    std::string text;
    std::vector<MenuEntry> children;  // submenus only
};

// The top-level menus File, Playback, Video and Help, in order.
const std::vector<MenuEntry>& MainMenu();

// The File menu's submenu that lists the recent files (its only submenu).
inline constexpr const char* kRecentFilesMenuText = "Recent &Files";
inline constexpr const char* kRecentFilesEmptyText = "(Empty)";
inline constexpr int kRecentFileFirstId = 6000;
// The grayed "(Empty)" item: never chosen, so its id reaches no command.
inline constexpr int kRecentFilesEmptyId = 6010;

// "&1 name" ... "&0 name": the item text of recent entry index (0-based).
std::string RecentFileItemText(int index, const std::string& location);

}  // namespace tav
