#pragma once
// The video engine (libmpv, loaded at run time).
#include <string>

namespace tav {

bool IsVideoEngineAvailable();
// The engine is available and the extension is a video one.
bool IsVideoFile(const std::string& location);
bool OpenVideoFile(const std::string& location);
bool OpenVideoUrl(const std::string& url);
void VideoStop();
void VideoPause();
void VideoResume();
void VideoTogglePause();
double VideoPosition();
double VideoDuration();
bool VideoIsPlaying();
bool VideoIsPaused();
std::string VideoMediaTitle();
void VideoSetVolume(float volume);
void VideoSetMute(bool muted);

}  // namespace tav
