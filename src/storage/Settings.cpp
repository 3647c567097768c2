#include "storage/Settings.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "app/Log.h"
#include "platform/Paths.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Seeking.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Playlist.h"

namespace tav {

namespace {

// Read limits of the text values, in characters (the buffers of the Windows
// profile functions, without their terminator).
constexpr size_t kDeviceNameChars = 255;
constexpr size_t kPathChars = 511;
constexpr size_t kSoundFontChars = 259;
constexpr size_t kVideoOutputChars = 63;
constexpr size_t kLanguageChars = 7;
constexpr size_t kDecimalChars = 31;
constexpr size_t kLocationChars = 2047;
constexpr size_t kHotkeyChars = 63;
constexpr int kMaxRecentFiles = 10;

std::optional<std::string>& PathSlot() {
    static std::optional<std::string> path;
    return path;
}

// ---- Typed reads ----------------------------------------------------------------
bool ReadBool(const IniFile& ini, const char* sec, const char* key, bool def) {
    return ini.getInt(sec, key, def ? 1 : 0) != 0;
}
int ReadInt(const IniFile& ini, const char* sec, const char* key, int def) {
    return ini.getInt(sec, key, def);
}
std::string ReadText(const IniFile& ini, const char* sec, const std::string& key, const char* def,
                     size_t maxChars) {
    return CapChars(ini.getString(sec, key, def), maxChars);
}
double ReadDecimal(const IniFile& ini, const char* sec, const std::string& key, const char* def) {
    return ProfileDouble(ReadText(ini, sec, key, def, kDecimalChars));
}
// For the float fields: a double beyond the float range cannot be converted.
float ReadDecimalF(const IniFile& ini, const char* sec, const std::string& key, const char* def) {
    const double v = ReadDecimal(ini, sec, key, def);
    return static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// ---- Typed writes ------------------------------------------------------------------
void WriteBool(IniFile& ini, const char* sec, const char* key, bool v) {
    ini.setString(sec, key, v ? "1" : "0");
}
void WriteInt(IniFile& ini, const char* sec, const char* key, int v) { ini.setInt(sec, key, v); }
void WriteText(IniFile& ini, const char* sec, const char* key, const std::string& v) {
    ini.setString(sec, key, v);
}
void WriteFixed(IniFile& ini, const char* sec, const char* key, double v, int decimals) {
    ini.setString(sec, key, FormatFixed(v, decimals));
}
// A fraction kept as whole percent.
void WritePercent(IniFile& ini, const char* sec, const char* key, float fraction) {
    ini.setInt(sec, key, static_cast<int>(fraction * 100.0f + 0.5f));
}

// Values of the keys prefix0, prefix1, ... below count, in index order. Walks
// the keys that exist instead of counting up to count, so a huge counter in
// the file costs nothing.
std::vector<std::pair<int, std::string>> IndexedValues(const IniFile& ini, const char* sec,
                                                       const std::string& prefix, int count) {
    std::vector<std::pair<int, std::string>> out;
    if (count <= 0) return out;
    for (const std::string& key : ini.keys(sec)) {
        if (key.size() <= prefix.size() || !StartsWithNoCase(key, prefix)) continue;
        const std::string digits = key.substr(prefix.size());
        // Only the spelling "%d" makes: no sign, no leading zero.
        if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) continue;
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const long long i = std::stoll(digits);
        if (i >= count) continue;
        out.emplace_back(static_cast<int>(i), ini.getString(sec, key));
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

std::string ErrnoText(int err) { return std::error_code(err, std::generic_category()).message(); }

// Loads the current file so that a save changes only our keys. A file that
// exists but cannot be read is not overwritten: that would drop the sections
// we do not own.
bool LoadForUpdate(IniFile& ini, const std::string& path, const char* what) {
    if (ini.load(path) || errno == ENOENT) return true;
    WriteLog("SETTINGS", std::string(what) + " not saved: cannot read " + path + ": " + ErrnoText(errno));
    return false;
}

bool SaveLogged(const IniFile& ini, const std::string& path, const char* what) {
    if (ini.save(path)) return true;
    WriteLog("SETTINGS", std::string(what) + " not saved: cannot write " + path + ": " + ErrnoText(errno));
    return false;
}

// The seek units in their numbering order.
struct SeekKey {
    const char* key;
    bool AppSettings::Movement::*member;
};
constexpr SeekKey kSeekKeys[12] = {
    {"Seek1s", &AppSettings::Movement::Seek1s},   {"Seek5s", &AppSettings::Movement::Seek5s},
    {"Seek10s", &AppSettings::Movement::Seek10s}, {"Seek30s", &AppSettings::Movement::Seek30s},
    {"Seek1m", &AppSettings::Movement::Seek1m},   {"Seek5m", &AppSettings::Movement::Seek5m},
    {"Seek10m", &AppSettings::Movement::Seek10m}, {"Seek30m", &AppSettings::Movement::Seek30m},
    {"Seek1h", &AppSettings::Movement::Seek1h},   {"Seek1t", &AppSettings::Movement::Seek1t},
    {"Seek5t", &AppSettings::Movement::Seek5t},   {"Seek10t", &AppSettings::Movement::Seek10t},
};

constexpr const char* kDspEffectKeys[StoredDspSettings::kEffectCount] = {
    "Reverb", "Echo", "EQ", "Compressor", "StereoWidth", "CenterCancel", "Convolution", "SpatialAudio"};

constexpr const char* kDspParamKeys[StoredDspSettings::kParamCount] = {
    nullptr,           nullptr,          nullptr,          nullptr,
    "ReverbMix",       "ReverbRoom",     "ReverbDamp",     "DX8ReverbTime",
    "DX8ReverbHFRatio", "DX8ReverbMix",  "I3DL2Room",      "I3DL2DecayTime",
    "I3DL2Diffusion",  "I3DL2Density",   "EchoDelay",      "EchoFeedback",
    "EchoMix",         "EQPreamp",       "EQBass",         "EQMid",
    "EQTreble",        "CompThreshold",  "CompRatio",      "CompAttack",
    "CompRelease",     "CompGain",       "StereoWidth",    "CenterCancel",
    "ConvolutionMix",  "ConvolutionGain", "SpatialBlend",  "SpatialWidth",
    "SpatialRotation", "SpatialMode",    "SpatialRearCenter", "SpatialX",
    "SpatialY",        "SpatialZ"};
constexpr int kHfRatioParam = 8;  // the one parameter written with three decimals

// ---- Playlist media hooks ------------------------------------------------------------
bool DefaultOpen(const std::string& location) { return OpenMedia(location); }

bool DefaultHasKnownLength() {
    const PlaybackSession& s = Session();
    if (s.isLive || !s.playStream) return false;
    const TempoProcessor* p = CurrentTempoProcessor();
    return p && p->isActive() && p->getLength() > 0;
}

// The seek of the seeking commands: clamped, and the status bar shows the new place.
void DefaultSeek(double seconds) { SeekTo(seconds); }

double DefaultPosition() { return CurrentPosition(); }

PlaylistMedia& Media() {
    static PlaylistMedia media{DefaultOpen, DefaultHasKnownLength, DefaultSeek, DefaultPosition};
    return media;
}

}  // namespace

// ---- The file --------------------------------------------------------------------------
std::string ActiveSettingsPath() {
    auto& slot = PathSlot();
    if (!slot) slot = SettingsFilePath();
    return *slot;
}

void UseSettingsFile(const std::string& path) { PathSlot() = path; }

// ---- Settings record ------------------------------------------------------------------
void ReadSettings(const IniFile& ini, AppSettings& s) {
    const AppSettings d;  // the built-in defaults

    {
        const char* S = "Playback";
        auto& p = s.playback;
        p.DeviceName = ReadText(ini, S, "DeviceName", "", kDeviceNameChars);
        p.RewindOnPauseMs = ReadInt(ini, S, "RewindOnPauseMs", d.playback.RewindOnPauseMs);
        p.AllowAmplify = ReadBool(ini, S, "AllowAmplify", d.playback.AllowAmplify);
        p.RememberState = ReadBool(ini, S, "RememberState", d.playback.RememberState);
        p.RememberPosMinutes = ReadInt(ini, S, "RememberPosMinutes", d.playback.RememberPosMinutes);
        p.BringToFront = ReadBool(ini, S, "BringToFront", d.playback.BringToFront);
        p.MinimizeToTray = ReadBool(ini, S, "MinimizeToTray", d.playback.MinimizeToTray);
        p.LoadFolder = ReadBool(ini, S, "LoadFolder", d.playback.LoadFolder);
        p.RegisterFileTypes = ReadBool(ini, S, "RegisterFileTypes", d.playback.RegisterFileTypes);
        p.VolumeStep = static_cast<float>(ReadInt(ini, S, "VolumeStep", 2)) / 100.0f;
        p.ShowTitleInWindow = ReadBool(ini, S, "ShowTitleInWindow", d.playback.ShowTitleInWindow);
        p.Volume = static_cast<float>(ReadInt(ini, S, "Volume", 100)) / 100.0f;
        p.Pitch = ReadDecimalF(ini, S, "Pitch", "0");
        p.Tempo = ReadDecimalF(ini, S, "Tempo", "0");
        p.Rate = ReadDecimalF(ini, S, "Rate", "1.0");
        p.Shuffle = ReadBool(ini, S, "Shuffle", d.playback.Shuffle);
        p.AutoAdvance = ReadBool(ini, S, "AutoAdvance", d.playback.AutoAdvance);
        p.RepeatMode = ReadInt(ini, S, "RepeatMode", d.playback.RepeatMode);
        p.PlaylistFollow = ReadBool(ini, S, "PlaylistFollow", d.playback.PlaylistFollow);
        p.CheckForUpdates = ReadBool(ini, S, "CheckForUpdates", d.playback.CheckForUpdates);
        p.AllowMultipleInstances =
            ReadBool(ini, S, "AllowMultipleInstances", d.playback.AllowMultipleInstances);
    }
    {
        const char* S = "Advanced";
        auto& a = s.advanced;
        a.BufferSize = ReadInt(ini, S, "BufferSize", d.advanced.BufferSize);
        a.UpdatePeriod = ReadInt(ini, S, "UpdatePeriod", d.advanced.UpdatePeriod);
        a.TempoAlgorithm = ReadInt(ini, S, "TempoAlgorithm", d.advanced.TempoAlgorithm);
        a.LegacyVolume = ReadBool(ini, S, "LegacyVolume", d.advanced.LegacyVolume);
        a.DisableBatchDelay = ReadBool(ini, S, "DisableBatchDelay", d.advanced.DisableBatchDelay);
        a.EQBassFreq = ReadDecimal(ini, S, "EQBassFreq", "50");
        a.EQMidFreq = ReadDecimal(ini, S, "EQMidFreq", "1000");
        a.EQTrebleFreq = ReadDecimal(ini, S, "EQTrebleFreq", "12000");
    }
    {
        const char* S = "SoundTouch";
        auto& t = s.soundTouch;
        const auto& dt = d.soundTouch;
        t.AntiAliasFilter = ReadBool(ini, S, "AntiAliasFilter", dt.AntiAliasFilter);
        t.AAFilterLength = ReadInt(ini, S, "AAFilterLength", dt.AAFilterLength);
        t.QuickAlgorithm = ReadBool(ini, S, "QuickAlgorithm", dt.QuickAlgorithm);
        t.SequenceMs = ReadInt(ini, S, "SequenceMs", dt.SequenceMs);
        t.SeekWindowMs = ReadInt(ini, S, "SeekWindowMs", dt.SeekWindowMs);
        t.OverlapMs = ReadInt(ini, S, "OverlapMs", dt.OverlapMs);
        t.PreventClick = ReadBool(ini, S, "PreventClick", dt.PreventClick);
        t.Algorithm = ReadInt(ini, S, "Algorithm", dt.Algorithm);
    }
    s.speedy.NonlinearSpeedup = ReadBool(ini, "Speedy", "NonlinearSpeedup", d.speedy.NonlinearSpeedup);
    s.signalsmith.Preset = ReadInt(ini, "Signalsmith", "Preset", d.signalsmith.Preset);
    s.signalsmith.TonalityLimit = ReadInt(ini, "Signalsmith", "TonalityLimit", d.signalsmith.TonalityLimit);
    {
        const char* S = "Effects";
        auto& e = s.effects;
        e.ReverbAlgorithm = ReadInt(ini, S, "ReverbAlgorithm", d.effects.ReverbAlgorithm);
        e.Volume = ReadBool(ini, S, "Volume", d.effects.Volume);
        e.Pitch = ReadBool(ini, S, "Pitch", d.effects.Pitch);
        e.Tempo = ReadBool(ini, S, "Tempo", d.effects.Tempo);
        e.Rate = ReadBool(ini, S, "Rate", d.effects.Rate);
        e.CurrentEffect = ReadInt(ini, S, "CurrentEffect", d.effects.CurrentEffect);
        e.RateStepMode = ReadInt(ini, S, "RateStepMode", d.effects.RateStepMode);
    }
    {
        const char* S = "MIDI";
        s.midi.SoundFont = ReadText(ini, S, "SoundFont", "", kSoundFontChars);
        s.midi.MaxVoices = ReadInt(ini, S, "MaxVoices", d.midi.MaxVoices);
        s.midi.SincInterp = ReadBool(ini, S, "SincInterp", d.midi.SincInterp);
    }
    // YtdlpPath is written for the user's information only: the executable is
    // located afresh at every start.
    s.youtube.ApiKey = ReadText(ini, "YouTube", "ApiKey", "", kPathChars);
    s.youtube.VideoMode = ReadBool(ini, "YouTube", "VideoMode", d.youtube.VideoMode);
    s.downloads.Path = ReadText(ini, "Downloads", "Path", "", kPathChars);
    s.downloads.OrganizeByFeed = ReadBool(ini, "Downloads", "OrganizeByFeed", d.downloads.OrganizeByFeed);
    {
        const char* S = "Recording";
        s.recording.Path = ReadText(ini, S, "Path", "", kPathChars);
        s.recording.Template = ReadText(ini, S, "Template", d.recording.Template.c_str(), kPathChars);
        s.recording.Format = ReadInt(ini, S, "Format", d.recording.Format);
        s.recording.Bitrate = ReadInt(ini, S, "Bitrate", d.recording.Bitrate);
    }
    s.speech.TrackChange = ReadBool(ini, "Speech", "TrackChange", d.speech.TrackChange);
    s.speech.Volume = ReadBool(ini, "Speech", "Volume", d.speech.Volume);
    s.speech.Effect = ReadBool(ini, "Speech", "Effect", d.speech.Effect);
    {
        const char* S = "Movement";
        for (const SeekKey& k : kSeekKeys) s.movement.*k.member = ReadBool(ini, S, k.key, d.movement.*k.member);
        s.movement.ChapterSeek = ReadBool(ini, S, "ChapterSeek", d.movement.ChapterSeek);
        s.movement.CurrentSeek = ReadInt(ini, S, "CurrentSeek", d.movement.CurrentSeek);
    }
    s.video.HardwareDecoding = ReadBool(ini, "Video", "HardwareDecoding", d.video.HardwareDecoding);
    s.video.VideoOutput = ReadText(ini, "Video", "VideoOutput", d.video.VideoOutput.c_str(), kVideoOutputChars);
    s.general.Language = ReadText(ini, "General", "Language", "", kLanguageChars);

    ClampAppSettings(s);
}

void WriteSettings(IniFile& ini, const AppSettings& s) {
    {
        const char* S = "Playback";
        const auto& p = s.playback;
        WriteText(ini, S, "DeviceName", p.DeviceName);
        WriteInt(ini, S, "RewindOnPauseMs", p.RewindOnPauseMs);
        WriteBool(ini, S, "AllowAmplify", p.AllowAmplify);
        WriteBool(ini, S, "RememberState", p.RememberState);
        WriteInt(ini, S, "RememberPosMinutes", p.RememberPosMinutes);
        WriteBool(ini, S, "BringToFront", p.BringToFront);
        WriteBool(ini, S, "MinimizeToTray", p.MinimizeToTray);
        WriteBool(ini, S, "LoadFolder", p.LoadFolder);
        WriteBool(ini, S, "RegisterFileTypes", p.RegisterFileTypes);
        WritePercent(ini, S, "VolumeStep", p.VolumeStep);
        WriteBool(ini, S, "ShowTitleInWindow", p.ShowTitleInWindow);
        WritePercent(ini, S, "Volume", p.Volume);
        WriteFixed(ini, S, "Pitch", p.Pitch, 1);
        WriteFixed(ini, S, "Tempo", p.Tempo, 1);
        WriteFixed(ini, S, "Rate", p.Rate, 2);
        WriteBool(ini, S, "Shuffle", p.Shuffle);
        WriteBool(ini, S, "AutoAdvance", p.AutoAdvance);
        WriteInt(ini, S, "RepeatMode", p.RepeatMode);
        WriteBool(ini, S, "PlaylistFollow", p.PlaylistFollow);
        WriteBool(ini, S, "CheckForUpdates", p.CheckForUpdates);
        WriteBool(ini, S, "AllowMultipleInstances", p.AllowMultipleInstances);
    }
    {
        const char* S = "Advanced";
        const auto& a = s.advanced;
        WriteInt(ini, S, "BufferSize", a.BufferSize);
        WriteInt(ini, S, "UpdatePeriod", a.UpdatePeriod);
        WriteInt(ini, S, "TempoAlgorithm", a.TempoAlgorithm);
        WriteBool(ini, S, "LegacyVolume", a.LegacyVolume);
        WriteBool(ini, S, "DisableBatchDelay", a.DisableBatchDelay);
        WriteFixed(ini, S, "EQBassFreq", a.EQBassFreq, 1);
        WriteFixed(ini, S, "EQMidFreq", a.EQMidFreq, 1);
        WriteFixed(ini, S, "EQTrebleFreq", a.EQTrebleFreq, 1);
    }
    {
        const char* S = "SoundTouch";
        const auto& t = s.soundTouch;
        WriteBool(ini, S, "AntiAliasFilter", t.AntiAliasFilter);
        WriteInt(ini, S, "AAFilterLength", t.AAFilterLength);
        WriteBool(ini, S, "QuickAlgorithm", t.QuickAlgorithm);
        WriteInt(ini, S, "SequenceMs", t.SequenceMs);
        WriteInt(ini, S, "SeekWindowMs", t.SeekWindowMs);
        WriteInt(ini, S, "OverlapMs", t.OverlapMs);
        WriteBool(ini, S, "PreventClick", t.PreventClick);
        WriteInt(ini, S, "Algorithm", t.Algorithm);
    }
    WriteBool(ini, "Speedy", "NonlinearSpeedup", s.speedy.NonlinearSpeedup);
    WriteInt(ini, "Signalsmith", "Preset", s.signalsmith.Preset);
    WriteInt(ini, "Signalsmith", "TonalityLimit", s.signalsmith.TonalityLimit);
    {
        const char* S = "Effects";
        const auto& e = s.effects;
        WriteInt(ini, S, "ReverbAlgorithm", e.ReverbAlgorithm);
        WriteBool(ini, S, "Volume", e.Volume);
        WriteBool(ini, S, "Pitch", e.Pitch);
        WriteBool(ini, S, "Tempo", e.Tempo);
        WriteBool(ini, S, "Rate", e.Rate);
        WriteInt(ini, S, "CurrentEffect", e.CurrentEffect);
        WriteInt(ini, S, "RateStepMode", e.RateStepMode);
    }
    WriteText(ini, "MIDI", "SoundFont", s.midi.SoundFont);
    WriteInt(ini, "MIDI", "MaxVoices", s.midi.MaxVoices);
    WriteBool(ini, "MIDI", "SincInterp", s.midi.SincInterp);
    WriteText(ini, "YouTube", "YtdlpPath", s.youtube.YtdlpPath);
    WriteText(ini, "YouTube", "ApiKey", s.youtube.ApiKey);
    WriteBool(ini, "YouTube", "VideoMode", s.youtube.VideoMode);
    WriteText(ini, "Downloads", "Path", s.downloads.Path);
    WriteBool(ini, "Downloads", "OrganizeByFeed", s.downloads.OrganizeByFeed);
    WriteText(ini, "Recording", "Path", s.recording.Path);
    WriteText(ini, "Recording", "Template", s.recording.Template);
    WriteInt(ini, "Recording", "Format", s.recording.Format);
    WriteInt(ini, "Recording", "Bitrate", s.recording.Bitrate);
    WriteBool(ini, "Speech", "TrackChange", s.speech.TrackChange);
    WriteBool(ini, "Speech", "Volume", s.speech.Volume);
    WriteBool(ini, "Speech", "Effect", s.speech.Effect);
    for (const SeekKey& k : kSeekKeys) WriteBool(ini, "Movement", k.key, s.movement.*k.member);
    WriteBool(ini, "Movement", "ChapterSeek", s.movement.ChapterSeek);
    WriteInt(ini, "Movement", "CurrentSeek", s.movement.CurrentSeek);
    WriteBool(ini, "Video", "HardwareDecoding", s.video.HardwareDecoding);
    WriteText(ini, "Video", "VideoOutput", s.video.VideoOutput);
    WriteText(ini, "General", "Language", s.general.Language);
}

void LoadSettings() {
    const std::string path = ActiveSettingsPath();
    IniFile ini;
    ini.load(path);  // a missing file: the defaults
    ReadSettings(ini, Settings());
    SetCurrentDeviceIndex(-1);
}

bool SaveSettings() {
    const std::string path = ActiveSettingsPath();
    IniFile ini;
    if (!LoadForUpdate(ini, path, "Settings")) return false;
    WriteSettings(ini, Settings());
    const StoredDspSettings& dsp = StoredDsp();
    if (dsp.loaded) WriteDspSettings(ini, dsp, TheRecentFiles().entries);
    return SaveLogged(ini, path, "Settings");
}

// ---- DSP effects and parameters ---------------------------------------------------------
StoredDspSettings& StoredDsp() {
    static StoredDspSettings dsp;
    return dsp;
}

const char* DspEffectKey(int effect) {
    return effect >= 0 && effect < StoredDspSettings::kEffectCount ? kDspEffectKeys[effect] : nullptr;
}

const char* DspParamKey(int number) {
    return number >= 0 && number < StoredDspSettings::kParamCount ? kDspParamKeys[number] : nullptr;
}

void ReadDspSettings(const IniFile& ini, StoredDspSettings& dsp, std::vector<std::string>& recent) {
    for (int i = 0; i < StoredDspSettings::kEffectCount; ++i)
        dsp.enabled[static_cast<size_t>(i)] = ReadBool(ini, "DSPEffects", kDspEffectKeys[i], false);
    dsp.ConvolutionIR = ReadText(ini, "DSPEffects", "ConvolutionIR", "", kPathChars);
    for (int n = StoredDspSettings::kFirstParam; n < StoredDspSettings::kParamCount; ++n) {
        const std::string text = ReadText(ini, "DSPParams", kDspParamKeys[n], "", kDecimalChars);
        auto& slot = dsp.params[static_cast<size_t>(n)];
        if (text.empty())
            slot.reset();
        else
            slot = ProfileDouble(text);
    }
    recent.clear();
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        std::string v = ReadText(ini, "RecentFiles", "File" + std::to_string(i), "", kLocationChars);
        if (!v.empty()) recent.push_back(std::move(v));
    }
}

void WriteDspSettings(IniFile& ini, const StoredDspSettings& dsp, const std::vector<std::string>& recent) {
    for (int i = 0; i < StoredDspSettings::kEffectCount; ++i)
        WriteBool(ini, "DSPEffects", kDspEffectKeys[i], dsp.enabled[static_cast<size_t>(i)]);
    WriteText(ini, "DSPEffects", "ConvolutionIR", dsp.ConvolutionIR);
    for (int n = StoredDspSettings::kFirstParam; n < StoredDspSettings::kParamCount; ++n) {
        const auto& v = dsp.params[static_cast<size_t>(n)];
        if (v) WriteFixed(ini, "DSPParams", kDspParamKeys[n], *v, n == kHfRatioParam ? 3 : 2);
    }
    ini.clearSection("RecentFiles");
    const size_t count = std::min(recent.size(), static_cast<size_t>(kMaxRecentFiles));
    for (size_t i = 0; i < count; ++i) ini.setString("RecentFiles", "File" + std::to_string(i), recent[i]);
}

void LoadDspSettings() {
    IniFile ini;
    ini.load(ActiveSettingsPath());
    StoredDspSettings& dsp = StoredDsp();
    ReadDspSettings(ini, dsp, TheRecentFiles().entries);
    dsp.loaded = true;
}

// ---- Global hotkeys -------------------------------------------------------------------------
HotkeyList& TheHotkeys() {
    static HotkeyList list;
    return list;
}

void ReadHotkeys(const IniFile& ini, HotkeyList& list) {
    list.Enabled = ReadBool(ini, "Hotkeys", "Enabled", true);
    const int count = ReadInt(ini, "Hotkeys", "Count", 0);
    list.items.clear();
    for (auto& [index, value] : IndexedValues(ini, "Hotkeys", "Hotkey", count)) {
        const std::string text = CapChars(value, kHotkeyChars);
        unsigned modifiers = 0, key = 0;
        int action = 0;
        if (std::sscanf(text.c_str(), "%u,%u,%d", &modifiers, &key, &action) != 3) continue;
        if (action < 0 || action >= HotkeyList::kActionCount) continue;
        list.items.push_back({list.newId(), modifiers, key, action});
    }
}

void WriteHotkeys(IniFile& ini, const HotkeyList& list) {
    WriteBool(ini, "Hotkeys", "Enabled", list.Enabled);
    WriteInt(ini, "Hotkeys", "Count", static_cast<int>(list.items.size()));
    for (size_t i = 0; i < list.items.size(); ++i) {
        const HotkeyAssignment& h = list.items[i];
        char buf[64];
        std::snprintf(buf, sizeof buf, "%u,%u,%d", h.modifiers, h.key, h.action);
        ini.setString("Hotkeys", "Hotkey" + std::to_string(i), buf);
    }
}

void LoadHotkeys() {
    IniFile ini;
    ini.load(ActiveSettingsPath());
    ReadHotkeys(ini, TheHotkeys());
}

bool SaveHotkeys() {
    const std::string path = ActiveSettingsPath();
    IniFile ini;
    if (!LoadForUpdate(ini, path, "Hotkeys")) return false;
    WriteHotkeys(ini, TheHotkeys());
    return SaveLogged(ini, path, "Hotkeys");
}

// ---- Playlist state ---------------------------------------------------------------------------
void SetPlaylistMedia(PlaylistMedia media) {
    PlaylistMedia& m = Media();
    m.open = media.open ? std::move(media.open) : DefaultOpen;
    m.hasKnownLength = media.hasKnownLength ? std::move(media.hasKnownLength) : DefaultHasKnownLength;
    m.seek = media.seek ? std::move(media.seek) : DefaultSeek;
    m.position = media.position ? std::move(media.position) : DefaultPosition;
}

void LoadPlaylistState() {
    if (!Settings().playback.RememberState) return;
    IniFile ini;
    ini.load(ActiveSettingsPath());
    const int count = ReadInt(ini, "State", "TrackCount", 0);
    int current = ReadInt(ini, "State", "CurrentTrack", 0);

    Playlist& pl = ThePlaylist();
    pl.entries.clear();
    pl.current = -1;
    for (auto& [index, value] : IndexedValues(ini, "Playlist", "Track", count)) {
        std::string location = CapChars(std::move(value), kLocationChars);
        if (!location.empty()) pl.entries.push_back(std::move(location));
    }
    if (!pl.entries.empty()) {
        if (!pl.validIndex(current)) current = 0;
    } else {
        std::string last = ReadText(ini, "State", "LastFile", "", kLocationChars);
        if (last.empty()) return;
        pl.entries.push_back(std::move(last));
        current = 0;
    }
    pl.current = current;

    PlaylistMedia& media = Media();
    if (!media.open(pl.entries[static_cast<size_t>(current)])) return;
    if (!media.hasKnownLength()) return;
    const double position = ReadDecimal(ini, "State", "LastPosition", "0");
    if (position > 0) media.seek(position);
}

bool SavePlaylistState() {
    const std::string path = ActiveSettingsPath();
    IniFile ini;
    if (!LoadForUpdate(ini, path, "Playlist state")) return false;
    ini.clearSection("Playlist");
    const Playlist& pl = ThePlaylist();
    if (Settings().playback.RememberState) {
        ini.setInt("State", "TrackCount", pl.size());
        for (int i = 0; i < pl.size(); ++i)
            ini.setString("Playlist", "Track" + std::to_string(i), pl.entries[static_cast<size_t>(i)]);
        ini.setInt("State", "CurrentTrack", pl.current);
        if (pl.validIndex(pl.current)) {
            ini.setString("State", "LastFile", pl.entries[static_cast<size_t>(pl.current)]);
            ini.setString("State", "LastPosition", FormatFixed(Media().position(), 2));
        } else {
            ini.setString("State", "LastFile", "");
            ini.setString("State", "LastPosition", "0");
        }
    } else {
        ini.setString("State", "LastFile", "");
        ini.setString("State", "LastPosition", "0");
        ini.setString("State", "TrackCount", "0");
        ini.setString("State", "CurrentTrack", "0");
    }
    return SaveLogged(ini, path, "Playlist state");
}

}  // namespace tav
