#include "resources/MainMenu.h"

#include "platform/Paths.h"

namespace tav {

namespace {

using K = MenuEntry::Kind;

MenuEntry Item(int id, const char* text) { return {K::Item, id, text, {}}; }
MenuEntry Check(int id, const char* text) { return {K::Check, id, text, {}}; }
MenuEntry Separator() { return {K::Separator, 0, "", {}}; }
MenuEntry Popup(const char* text, std::vector<MenuEntry> children) {
    return {K::Submenu, 0, text, std::move(children)};
}

std::vector<MenuEntry> Build() {
    return {
        Popup("&File",
              {
                  Item(101, "&Open...\tCtrl+O"),
                  Item(110, "Add &Folder...\tCtrl+Shift+O"),
                  Item(111, "&Playlist...\tCtrl+P"),
                  Item(104, "Open &URL...\tCtrl+U"),
                  Item(105, "&YouTube...\tCtrl+Y"),
                  Item(107, "&Radio...\tCtrl+R"),
                  Item(113, "&Add Stream to Favorites...\tCtrl+D"),
                  Item(940, "&Podcasts...\tCtrl+Shift+P"),
                  Item(108, "&Schedule...\tCtrl+S"),
                  Item(990, "Song &History...\tCtrl+Shift+H"),
                  Separator(),
                  Popup(kRecentFilesMenuText, {}),
                  Separator(),
                  Item(106, "&Hide to Tray\tCtrl+H"),
                  Item(103, "O&ptions...\tCtrl+,"),
                  Separator(),
                  Item(102, "E&xit\tAlt+F4"),
              }),
        Popup("&Playback",
              {
                  Item(212, "&Play\tX"),
                  Item(213, "Pa&use\tC"),
                  Item(201, "Play/Pause\tSpace"),
                  Item(202, "&Stop\tV"),
                  Separator(),
                  Item(203, "P&revious\tZ"),
                  Item(204, "&Next\tB"),
                  Check(215, "S&huffle\tH"),
                  Item(219, "R&epeat\tE"),
                  Separator(),
                  Item(205, "Seek &Backward\tLeft"),
                  Item(206, "Seek &Forward\tRight"),
                  Item(216, "&Beginning\tHome"),
                  Item(217, "&Jump to Time...\tJ"),
                  Separator(),
                  Item(207, "Volume &Up\tUp"),
                  Item(208, "Volume &Down\tDown"),
                  Separator(),
                  Item(209, "Speak &Elapsed\tCtrl+Shift+E"),
                  Item(210, "Speak &Remaining\tCtrl+Shift+R"),
                  Item(211, "Speak &Total\tCtrl+Shift+T"),
              }),
        Popup("&Video",
              {
                  Item(1200, "&Fullscreen\tF11"),
                  Separator(),
                  Item(1201, "Cycle &Subtitles"),
                  Item(1202, "&Load Subtitle File..."),
                  Item(1203, "Subtitles &Off"),
                  Separator(),
                  Item(1240, "Cycle &Audio Track"),
                  Item(1270, "Cycle Aspect &Ratio"),
                  Item(1280, "Take Scr&eenshot"),
              }),
        Popup("&Help",
              {
                  Item(114, "&Readme"),
                  Item(112, "Check for &Updates..."),
                  Item(109, "&Loaded Plugins..."),
                  Separator(),
                  Item(118, "&Test YouTube playback"),
                  Item(119, "C&lear YouTube cache..."),
              }),
    };
}

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
    static const std::vector<MenuEntry> menu = Build();
    return menu;
}

std::string RecentFileItemText(int index, const std::string& location) {
    return "&" + std::to_string((index + 1) % 10) + " " + FileNameOf(location);
}

}  // namespace tav
