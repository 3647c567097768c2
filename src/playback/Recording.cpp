#include "playback/Recording.h"

namespace tav {

// Recording is not built yet: nothing ever records.
bool IsRecording() { return false; }
void StopRecording() {}

}  // namespace tav
