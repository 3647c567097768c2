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

#include "app/WindowTimers.h"

namespace tav {

namespace {
WindowTimers* gTimers = nullptr;
}

void SetWindowTimers(WindowTimers* timers) { gTimers = timers; }
void StartWindowTimer(int id, int milliseconds) {
    if (gTimers) gTimers->startTimer(id, milliseconds);
}
void KillWindowTimer(int id) {
    if (gTimers) gTimers->killTimer(id);
}

}  // namespace tav
