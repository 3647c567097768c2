#pragma once
// Reading and writing Tavrolune.ini: the settings record, the stored DSP state,
// the recent files, the global-hotkey list and the playlist state. Every
// operation re-reads the file and changes only its own keys, so sections
// written by other code (presets, yt-dlp version) and sections this version
// does not know survive. UI thread only.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "storage/AppSettings.h"
#include "storage/IniFile.h"

namespace tav {

// ---- The file --------------------------------------------------------------------
// The one path every reader and writer uses. Decided by LoadSettings (from
// SettingsFilePath) or by the first use, whichever comes first.
std::string ActiveSettingsPath();
// Points every operation here at another file (tests, tools).
void UseSettingsFile(const std::string& path);

// ---- Settings record ------------------------------------------------------------------
// Reads the sections Playback ... General into s with defaults and clamps.
void ReadSettings(const IniFile& ini, AppSettings& s);
// Writes every key ReadSettings reads (and YouTube/YtdlpPath) in the file's formats.
void WriteSettings(IniFile& ini, const AppSettings& s);

// Decides the file, reads it into Settings(), and resets the output device
// index so that DeviceName is resolved when the output starts. A missing
// file gives the defaults.
void LoadSettings();
// Writes Settings(), the stored DSP state and the recent files. False (and a
// line in the log) when the file cannot be written; the old file stays.
bool SaveSettings();

// ---- DSP effects and parameters -----------------------------------------------------------
// The DSPEffects and DSPParams sections as read, kept here until the effect
// code takes them: it reads them once the effect model exists, and fills them
// with the current state before SaveSettings.
struct StoredDspSettings {
    static constexpr int kEffectCount = 8;    // Reverb ... SpatialAudio
    static constexpr int kFirstParam = 4;     // parameters 0 ... 3 live in Playback
    static constexpr int kParamCount = 38;
    // Set by LoadDspSettings. Before that SaveSettings leaves DSPEffects,
    // DSPParams and RecentFiles as the file has them, so a save made before
    // the main window exists cannot wipe them.
    bool loaded = false;
    std::array<bool, kEffectCount> enabled{};
    std::string ConvolutionIR;
    // By parameter number; empty = not in the file (the built-in default stays).
    std::array<std::optional<double>, kParamCount> params;
};
StoredDspSettings& StoredDsp();
// "Reverb", "Echo", ... "SpatialAudio" for effects 0 ... 7.
const char* DspEffectKey(int effect);
// "ReverbMix" ... "SpatialZ" for parameters 4 ... 37; nullptr otherwise.
const char* DspParamKey(int number);

void ReadDspSettings(const IniFile& ini, StoredDspSettings& dsp, std::vector<std::string>& recent);
void WriteDspSettings(IniFile& ini, const StoredDspSettings& dsp, const std::vector<std::string>& recent);
// Reads DSPEffects, ConvolutionIR and DSPParams into StoredDsp() and the
// recent files into TheRecentFiles() (non-empty values, at most ten).
void LoadDspSettings();

// ---- Global hotkeys -------------------------------------------------------------------------
struct HotkeyAssignment {
    int id = 0;              // registration identifier
    unsigned modifiers = 0;  // 1 Alt, 2 Ctrl, 4 Shift, 8 Win
    unsigned key = 0;        // virtual-key code
    int action = 0;          // 0 ... 38
};
struct HotkeyList {
    static constexpr int kActionCount = 39;
    bool Enabled = true;
    std::vector<HotkeyAssignment> items;
    int nextId = 1;  // identifiers are never reused within a run
    int newId() { return nextId++; }
};
HotkeyList& TheHotkeys();

void ReadHotkeys(const IniFile& ini, HotkeyList& list);
// Enabled, Count, then Hotkey0 ... in list order. The section is not emptied,
// so keys past Count from a longer list stay (they are ignored when reading).
void WriteHotkeys(IniFile& ini, const HotkeyList& list);
void LoadHotkeys();
bool SaveHotkeys();

// ---- Playlist state ---------------------------------------------------------------------------
// How a restored entry is opened and positioned: by default OpenMedia, the
// tempo processor's length and its seek, CurrentPosition.
struct PlaylistMedia {
    std::function<bool(const std::string& location)> open;
    std::function<bool()> hasKnownLength;  // false for a live stream
    std::function<void(double seconds)> seek;
    std::function<double()> position;  // seconds heard of the current media
};
// Replaces the hooks; an empty member restores that default.
void SetPlaylistMedia(PlaylistMedia media);

// With RememberState: refills the playlist from State/Playlist, opens the
// saved entry and seeks to the saved position (not in a live stream).
void LoadPlaylistState();
// Writes the State and Playlist sections (only the counters and an empty
// LastFile without RememberState).
bool SavePlaylistState();

}  // namespace tav
