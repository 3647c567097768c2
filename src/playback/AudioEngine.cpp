// Temporary: replaced by the real opening code.
#include "playback/AudioEngine.h"
#include "playback/engine/Engine.h"

namespace tav {
bool StartAudioEngine() { return true; }
void FreeAudioEngine() {}
std::string PluginReport() { return "Loaded: (none)\nFailed: (none)"; }
bool OpenMedia(const std::string&) { return false; }
bool OpenUrlStream(const std::string&, bool) { return false; }
double CurrentPosition() { return 0; }
int CurrentDeviceIndex() { return -1; }
void SetCurrentDeviceIndex(int) {}
int FindDeviceByName(const std::string&) { return -1; }
std::string FileErrorText(int) { return "Unknown error."; }
std::string UrlErrorText(int) { return "Could not open stream."; }
bool HasVideoExtension(const std::string&) { return false; }
bool HasMidiExtension(const std::string&) { return false; }
}  // namespace tav
namespace tav::engine {
bool ChannelPause(Handle) { return false; }
}
