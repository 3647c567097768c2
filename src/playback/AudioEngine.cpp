#include "playback/AudioEngine.h"

#include <algorithm>

#include "app/Log.h"
#include "effects/EffectChain.h"
#include "i18n/Translate.h"
#include "playback/Chapters.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Paths.h"
#include "platform/Posting.h"
#include "platform/Ui.h"
#include "playlist/Playlist.h"
#include "playlist/ResumePositions.h"
#include "storage/AppSettings.h"
#include "video/VideoEngine.h"

namespace tav {

using namespace engine;

namespace {

int gDeviceIndex = -1;
Handle gSoundFont = 0;
std::vector<std::string> gLoaded, gFailed;

constexpr const char* kStreamAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36";
constexpr const char* kVideoLibraryPage = "https://mpv.io/installation/";
constexpr int kCommandNext = 204;

void EndCallback(Handle, Handle, uint32_t, void*) {
    const auto& p = Settings().playback;
    // Read now: the decision belongs to the moment the track ends.
    PostCommand(kCommandNext, (!p.AutoAdvance && p.RepeatMode == 0) ? 1 : 0);
}

void MetaCallback(Handle, Handle, uint32_t, void*) { Post(PostedMessage{kMsgStreamTitle, 0, 0, {}}); }

bool ConfigureAndInit(int device) {
    const auto& adv = Settings().advanced;
    SetConfig(Config::BufferMs, adv.BufferSize);
    SetConfig(Config::UpdatePeriodMs, adv.UpdatePeriod);
    // The volume attribute carries an amplitude (the squared volume, as the
    // volume callback applies it), so the legacy way sounds the same: linear.
    SetConfig(Config::VolumeCurveLog, 0);
    if (Init(device, 44100)) return true;
    if (device == -1 || device == 0) return false;
    if (!Init(-1, 44100)) return false;
    gDeviceIndex = -1;
    Settings().playback.DeviceName.clear();
    return true;
}

void LoadComponentsAndFonts() {
    gLoaded.clear();
    gFailed.clear();
    for (const auto& c : DecoderComponents()) (c.loaded ? gLoaded : gFailed).push_back(c.name);

    if (gSoundFont) MidiFontFree(gSoundFont);
    gSoundFont = 0;
    const auto& midi = Settings().midi;
    SetConfig(Config::MidiVoices, midi.MaxVoices);
    if (!midi.SoundFont.empty()) {
        gSoundFont = MidiFontInit(midi.SoundFont);
        if (gSoundFont)
            MidiSetDefaultFont(gSoundFont);
        else
            WriteLog("AUDIO", "Could not load the SoundFont " + midi.SoundFont);
    }

    SetNetAgent(kStreamAgent);
    SetConfig(Config::NetTimeoutMs, 30000);
    SetConfig(Config::NetBufferMs, 10000);
    SetConfig(Config::NetPrebufPercent, 50);
}

std::string Join(const std::vector<std::string>& v) {
    if (v.empty()) return "(none)";
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + v[i];
    return s;
}

// The first n code points of a UTF-8 text.
std::string Utf8Prefix(const std::string& s, size_t n) {
    size_t i = 0, count = 0;
    while (i < s.size() && count < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        ++count;
    }
    return s.substr(0, std::min(i, s.size()));
}

size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void FinishOpen() {
    PlaybackSession& s = Session();
    s.mediaKind = MediaKind::Audio;
    s.videoLoaded = false;
    if (UiServices* ui = GetUiServices(); ui && ui->videoHostVisible()) ui->hideVideoHost();
    s.loading = false;
    RefreshWindowTitle();
    RefreshStatusBar();
}

void ShowOpenError(const std::string& location, const std::string& reason) {
    if (ThePlaylist().size() >= 2) return;  // the caller goes on to the next entry
    ShowMessageBox(Translate("Cannot play file:") + "\n" + FileNameOf(location) + "\n\n" + Translate(reason),
                   BoxIcon::Error);
}

// The new decoding stream becomes the session's, with what it reports at open.
void AdoptSource(Handle src) {
    PlaybackSession& s = Session();
    s.sourceStream = src;
    s.tagStream = src;
    ChannelInfo info;
    ChannelGetInfo(src, &info);
    s.sampleRate = static_cast<float>(info.freq);
    float br = 0;
    s.bitrate = ChannelGetAttribute(src, kAttribBitrate, &br) ? static_cast<int>(br) : 0;
}

}  // namespace

void ReleaseAudio() {
    PlaybackSession& s = Session();
    if (s.playStream) {
        if (s.endSync) ChannelRemoveSync(s.playStream, s.endSync);
        RemoveEffectChain();
        ChannelStop(s.playStream);
        StreamFree(s.playStream);
    }
    if (s.sourceStream) {
        if (s.metaSync) ChannelRemoveSync(s.sourceStream, s.metaSync);
        StreamFree(s.sourceStream);
    }
    // The SoundTouch stream took the decoding stream (and its sync) with it.
    s.playStream = s.sourceStream = s.tagStream = 0;
    s.endSync = s.metaSync = 0;
}

void StopVideo() {
    PlaybackSession& s = Session();
    if (s.mediaKind != MediaKind::Video) return;
    VideoStop();
    if (UiServices* ui = GetUiServices()) ui->hideVideoHost();
    s.videoLoaded = false;
    s.mediaKind = MediaKind::None;
}

bool StartAudioEngine() {
    gDeviceIndex = FindDeviceByName(Settings().playback.DeviceName);
    if (!ConfigureAndInit(gDeviceIndex)) {
        ShowMessageBox(Translate("Failed to initialize audio output."), BoxIcon::Error);
        return false;
    }
    if (UsingDummyDriver()) WriteLog("AUDIO", "Playing through the silent dummy output: no sound device was found");
    LoadComponentsAndFonts();
    return true;
}

bool StartAudioEngineWithoutOutput() {
    gDeviceIndex = 0;
    if (!ConfigureAndInit(0)) return false;
    LoadComponentsAndFonts();
    return true;
}

void FreeAudioEngine() {
    PlaybackSession& s = Session();
    DestroyTempoProcessor();  // frees the played stream (and its source) with it
    if (s.playStream) StreamFree(s.playStream);
    if (s.sourceStream) StreamFree(s.sourceStream);
    s.playStream = s.sourceStream = s.tagStream = 0;
    s.endSync = s.metaSync = 0;
    s.bitrate = 0;
    Free();
}

void FreeOutputOnly() { Free(); }

bool InitOutputOnly(int device) { return Init(device, 44100); }

std::string PluginReport() { return "Loaded: " + Join(gLoaded) + "\nFailed: " + Join(gFailed); }

int CurrentDeviceIndex() { return gDeviceIndex; }
void SetCurrentDeviceIndex(int index) { gDeviceIndex = index; }

int FindDeviceByName(const std::string& name) {
    if (name.empty()) return -1;
    DeviceInfo info;
    for (int i = 1; GetDeviceInfo(i, &info); ++i)
        if (info.enabled && info.name == name) return i;
    return -1;
}

std::string FileErrorText(int code) {
    switch (code) {
        case kErrMem: return "Out of memory.";
        case kErrFileOpen: return "Could not open the file.";
        case kErrFormat: return "Unsupported sample format.";
        case kErrNo3D: return "3D sound is not available.";
        case kErrFileForm: return "Unsupported file format.";
        case kErrCodec: return "Required codec is not available.";
        default: return "Unknown error.";
    }
}

std::string UrlErrorText(int code) {
    switch (code) {
        case kErrFileOpen: return "Could not connect to URL.";
        case kErrFormat: return "Unsupported sample format.";
        case kErrSsl: return "SSL/HTTPS not supported.";
        case kErrNoNet: return "No internet connection.";
        case kErrTimeout: return "Connection timed out.";
        case kErrFileForm: return "Unsupported stream format.";
        case kErrCodec: return "Required codec is not available.";
        default: return "Could not open stream.";
    }
}

bool HasVideoExtension(const std::string& location) {
    static const char* const kExt[] = {".mkv", ".avi", ".mov",  ".webm", ".flv", ".ts",  ".m2ts", ".vob",
                                       ".ogv", ".3gp", ".mpg",  ".mpeg", ".m4v", ".divx", ".rmvb"};
    const std::string e = LowerExtension(location);
    return std::any_of(std::begin(kExt), std::end(kExt), [&](const char* x) { return e == x; });
}

bool HasMidiExtension(const std::string& location) {
    const std::string e = LowerExtension(location);
    return e == ".mid" || e == ".midi" || e == ".kar" || e == ".rmi";
}

bool OpenMedia(const std::string& location) {
    if (IsUrl(location)) return OpenUrlStream(location, false);
    if (IsVideoFile(location)) return OpenVideoFile(location);
    if (HasVideoExtension(location) && !IsVideoEngineAvailable()) {
        ShowMessageBox(Translate("Cannot play video file:") + "\n" + FileNameOf(location) + "\n\n" +
                           Translate("Tavrolune needs libmpv to play video files.") + "\n\n" +
                           Translate("Download libmpv (libmpv.so.2) from:") + "\n" + kVideoLibraryPage + "\n\n" +
                           Translate("Then place libmpv.so.2 in the lib folder of Tavrolune."),
                       BoxIcon::Information);
        return false;
    }
    StopVideo();

    PlaybackSession& s = Session();
    const auto& set = Settings();
    s.loading = true;
    s.isLive = false;
    ReleaseAudio();

    Handle src = 0;
    if (HasMidiExtension(location) && set.midi.SincInterp) {
        src = MidiStreamCreateFile(location, kUnicode | kMidiSincInter | kStreamDecode | kSampleFloat);
        if (src && gSoundFont) MidiStreamSetFont(src, gSoundFont);
    } else {
        src = StreamCreateFile(location, kUnicode | kStreamDecode | kSampleFloat);
    }
    if (!src) {
        const int code = ErrorGetCode();
        s.loading = false;
        ShowOpenError(location, FileErrorText(code));
        return false;
    }
    AdoptSource(src);

    Handle out = 0;
    for (int attempt = 0; attempt < 2 && !out; ++attempt) {
        SetTempoEngineType(attempt == 0 ? set.advanced.TempoAlgorithm : 0);
        DestroyTempoProcessor();
        TempoProcessor* tp = GetTempoProcessor();
        tp->setTempo(set.playback.Tempo);
        tp->setPitch(set.playback.Pitch);
        out = tp->open(s.sourceStream, s.sampleRate);
        if (!out && tp->getType() == 0) break;
    }
    if (!out) {
        StreamFree(s.sourceStream);
        s.sourceStream = 0;
        s.tagStream = 0;
        s.loading = false;
        ShowOpenError(location, "Failed to create tempo stream.");
        return false;
    }
    s.playStream = out;
    if (GetTempoProcessor()->getType() == 0) s.sourceStream = 0;  // the tempo stream owns it now
    if (set.playback.Rate != 1.0f) ChannelSetAttribute(s.playStream, kAttribFreq, set.playback.Rate * s.sampleRate);
    BuildEffectChain();
    s.endSync = ChannelSetSync(s.playStream, kSyncEnd, 0, EndCallback, nullptr);
    // Applied before playback starts, so nothing of the beginning is heard.
    const double resume = LoadResumePosition(location);
    if (resume > 0) GetTempoProcessor()->seek(resume);
    ChannelPlay(s.playStream, false);
    s.chapters.clear();
    if (s.tagStream) s.chapters = ReadChapters(s.tagStream);
    FinishOpen();
    return true;
}

bool OpenUrlStream(const std::string& url, bool quiet) {
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        ShowMessageBox(Translate("Only http:// and https:// URLs are supported."), BoxIcon::Warning);
        return false;
    }
    if (IsVideoEngineAvailable() && (url.find("youtube.com/watch") != std::string::npos ||
                                     url.find("youtu.be/") != std::string::npos ||
                                     url.find("youtube.com/playlist") != std::string::npos))
        return OpenVideoUrl(url);
    StopVideo();

    PlaybackSession& s = Session();
    const auto& set = Settings();
    s.loading = true;
    ReleaseAudio();

    // One decoder handles every kind of stream here, so one attempt says it
    // all (repeating it would multiply the wait on a dead server).
    const Handle src = StreamCreateUrl(url, kStreamStatus | kStreamDecode | kSampleFloat);
    if (!src) {
        const int code = ErrorGetCode();
        s.loading = false;
        if (!quiet) {
            const std::string shown = Utf8Length(url) > 100 ? Utf8Prefix(url, 100) + "..." : url;
            ShowMessageBox(Translate("Cannot play URL:") + "\n" + shown + "\n\n" + Translate("Error: ") +
                               Translate(UrlErrorText(code)) + " (" + Translate("code ") + std::to_string(code) + ")",
                           BoxIcon::Error);
        }
        return false;
    }
    AdoptSource(src);
    s.metaSync = ChannelSetSync(src, kSyncMeta, 0, MetaCallback, nullptr);

    SetTempoEngineType(0);  // streams always use SoundTouch
    const int64_t len = ChannelGetLength(src);
    s.isLive = len == 0 || len == -1;
    DestroyTempoProcessor();
    TempoProcessor* tp = GetTempoProcessor();
    if (!tp) {
        StreamFree(s.sourceStream);
        s.sourceStream = s.tagStream = s.metaSync = 0;
        s.loading = false;
        if (!quiet) ShowMessageBox(Translate("Failed to create tempo processor."), BoxIcon::Error);
        return false;
    }
    if (!s.isLive) tp->setTempo(set.playback.Tempo);
    tp->setPitch(set.playback.Pitch);
    const Handle out = tp->open(s.sourceStream, s.sampleRate);
    if (!out) {
        StreamFree(s.sourceStream);
        s.sourceStream = s.tagStream = s.metaSync = 0;
        s.loading = false;
        if (!quiet) ShowMessageBox(Translate("Failed to create tempo stream for URL."), BoxIcon::Error);
        return false;
    }
    s.playStream = out;
    if (tp->getType() == 0) s.sourceStream = 0;
    if (set.playback.Rate != 1.0f && !s.isLive)
        ChannelSetAttribute(s.playStream, kAttribFreq, set.playback.Rate * s.sampleRate);
    ChannelSetAttribute(s.playStream, kAttribBuffer, 1.0f);
    BuildEffectChain();
    s.endSync = ChannelSetSync(s.playStream, kSyncEnd, 0, EndCallback, nullptr);
    ChannelPlay(s.playStream, false);
    s.chapters.clear();
    FinishOpen();
    return true;
}

double CurrentPosition() {
    if (Session().mediaKind == MediaKind::Video) return VideoPosition();
    TempoProcessor* tp = CurrentTempoProcessor();
    if (Session().playStream && tp && tp->isActive()) return tp->getPosition();
    return 0.0;
}

}  // namespace tav
