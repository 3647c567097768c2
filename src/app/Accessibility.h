#pragma once
// What wxGTK does not do by itself for screen readers: names for windows that
// have no label, a status bar AT-SPI can read, and shortcut texts for menu
// items whose key GTK refuses to bind.
#include <string>
#include <utility>
#include <vector>

class wxWindow;
class wxMenuBar;
class wxStatusBar;

namespace tav {

void SetAccessibleName(wxWindow* window, const std::string& name);

// The toolkit's container around window (the frame's client area) has no
// meaning of its own: AT-SPI sees it as a filler, which screen readers pass
// over.
void MarkAsFiller(wxWindow* window);
// wxGTK dialogs are plain GTK windows, which AT-SPI shows as frames; this
// gives a dialog the dialog role screen readers announce.
void MarkAsDialog(wxWindow* dialog);

// GTK names a message box by its kind ("Information", "Warning"); from the
// call on, every message box of the program is named by its caption instead,
// which is what the user is told the box is about.
void NameMessageBoxesByCaption();

// Clicking the window does not take the focus (the video picture).
void KeepFocusAway(wxWindow* window);

// Gives the status bar the status-bar role; its name then carries the texts.
void MakeStatusBarAccessible(wxStatusBar* bar);
void SetStatusBarAccessibleText(wxStatusBar* bar, const std::string& text);

// GTK binds no menu accelerator it considers invalid (arrows without a
// modifier); such items still show their key, so the menu tells the user the
// key the window's own handler reacts to. labels: command id and the item's
// text with its "\t" shortcut part.
void ShowRefusedMenuShortcuts(wxMenuBar* menuBar, const std::vector<std::pair<int, std::string>>& labels);

}  // namespace tav
