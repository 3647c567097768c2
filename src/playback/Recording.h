#pragma once
// Recording what is heard.

namespace tav {

// True while an encoder runs (the status line shows "REC").
bool IsRecording();
// Stops a running recording; nothing when none runs.
void StopRecording();

}  // namespace tav
