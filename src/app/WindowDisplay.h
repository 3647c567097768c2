#pragma once
// The main window's status bar and caption as the status-line code sees
// them: it builds the texts, the window shows them (and hands the status
// texts to the screen reader as the status bar's name).
#include <array>
#include <string>

namespace tav {

class WindowDisplay {
public:
    virtual ~WindowDisplay() = default;
    // Time, volume, state.
    virtual void setStatusTexts(const std::array<std::string, 3>& texts) = 0;
    virtual void setTitle(const std::string& caption) = 0;
};

// Set while the main window exists.
void SetWindowDisplay(WindowDisplay* display);
WindowDisplay* GetWindowDisplay();

// Do nothing while there is no main window.
void ShowStatusTexts(const std::array<std::string, 3>& texts);
void ShowWindowTitle(const std::string& caption);

}  // namespace tav
