#pragma once
// What core operations need from the windows: message boxes and a few
// refreshes of the main window. The wx program implements it; tests record.
#include <string>

namespace tav {

enum class BoxIcon { Error, Warning, Information, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum BoxResult { kBoxOk = 1, kBoxCancel = 2, kBoxYes = 6, kBoxNo = 7 };

class UiServices {
public:
    virtual ~UiServices() = default;
    // Modal box owned by the active window, or else the main window.
    virtual int messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                           BoxButtons buttons) = 0;
    virtual void refreshWindowTitle() {}
    virtual void refreshStatusBar() {}
    virtual bool videoHostVisible() { return false; }
    // Hide the video picture and give the main window back its 500 x 150 size.
    virtual void hideVideoHost() {}
    // Check or uncheck a menu item of the main window (Shuffle, 215).
    virtual void setMenuCheck(int command, bool checked) {
        (void)command;
        (void)checked;
    }
};

void SetUiServices(UiServices* ui);
UiServices* GetUiServices();

// Without a UI (tools, early start) the text goes to standard error and the
// answer is the default button.
int ShowMessageBox(const std::string& text, BoxIcon icon, const std::string& caption = "Tavrolune",
                   BoxButtons buttons = BoxButtons::Ok);
void RefreshWindowTitle();
void RefreshStatusBar();
void SetMenuCheck(int command, bool checked);

}  // namespace tav
