#pragma once
// The status bar's three parts (time, volume, state) and the window caption.
#include <array>
#include <string>

namespace tav {

// The texts as they stand now: "1:05:03 / 2:00:00", "Vol: 80%",
// "Playing | 128 kbps".
std::array<std::string, 3> StatusTexts();
std::string WindowCaption();

// Shows them; the status bar is left alone while an open or a track change
// is in progress.
void UpdateStatusBar();
void UpdateWindowTitle();

}  // namespace tav
