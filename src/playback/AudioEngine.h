#pragma once
// Starting the audio engine and opening media.
#include <string>
#include <vector>

namespace tav {

// Configures the engine from the settings, opens the output device (falling
// back to the default device), loads the decoder components and the SoundFont.
// Shows the error box and returns false when no output can be started.
bool StartAudioEngine();
// The same start on the "No sound" device: nothing is played, the caller
// pulls the mix with engine::RenderOutput (tavrolune-render, tests).
bool StartAudioEngineWithoutOutput();
void FreeAudioEngine();
// Only the output: decoder components, SoundFonts and settings stay.
void FreeOutputOnly();
bool InitOutputOnly(int device);

// "Loaded: a, b\nFailed: c" over the decoder components.
std::string PluginReport();

// Opens a local path or URL as the new current media and starts playing it.
// Leaves the playlist and its index alone.
bool OpenMedia(const std::string& location);
// http:// and https:// only; quiet suppresses the error boxes.
bool OpenUrlStream(const std::string& url, bool quiet);

// Gives back the audio of the current media: syncs, effects and streams.
void ReleaseAudio();
// Stops a loaded video and hides its picture.
void StopVideo();

// Seconds heard of the current media; 0 when nothing is loaded.
double CurrentPosition();

// The device index in use (-1 = the system default).
int CurrentDeviceIndex();
void SetCurrentDeviceIndex(int index);
// Index of the enabled device with exactly this name, or -1.
int FindDeviceByName(const std::string& name);

// Error texts for a failed open.
std::string FileErrorText(int code);
std::string UrlErrorText(int code);

// Video and MIDI extension tests (".mkv" ... and ".mid" ...), case-insensitive.
bool HasVideoExtension(const std::string& location);
bool HasMidiExtension(const std::string& location);

}  // namespace tav
