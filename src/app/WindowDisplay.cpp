#include "app/WindowDisplay.h"

namespace tav {

namespace {
WindowDisplay* gDisplay = nullptr;
}

void SetWindowDisplay(WindowDisplay* display) { gDisplay = display; }
WindowDisplay* GetWindowDisplay() { return gDisplay; }

void ShowStatusTexts(const std::array<std::string, 3>& texts) {
    if (gDisplay) gDisplay->setStatusTexts(texts);
}

void ShowWindowTitle(const std::string& caption) {
    if (gDisplay) gDisplay->setTitle(caption);
}

}  // namespace tav
