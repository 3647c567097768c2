#include "video/VideoEngine.h"

namespace tav {

// Video playback is not built yet: the engine reports itself unavailable, so
// video files get the explanation box and video addresses play as audio.
bool IsVideoEngineAvailable() { return false; }
bool IsVideoFile(const std::string&) { return false; }
bool OpenVideoFile(const std::string&) { return false; }
bool OpenVideoUrl(const std::string&) { return false; }
void VideoStop() {}
void VideoPause() {}
void VideoResume() {}
void VideoTogglePause() {}
double VideoPosition() { return 0.0; }
double VideoDuration() { return 0.0; }
bool VideoIsPlaying() { return false; }
bool VideoIsPaused() { return false; }
std::string VideoMediaTitle() { return {}; }
void VideoSetVolume(float) {}
void VideoSetMute(bool) {}

}  // namespace tav
