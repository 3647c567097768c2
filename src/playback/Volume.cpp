#include "playback/Volume.h"

#include <algorithm>
#include <cstdio>

#include "effects/EffectChain.h"
#include "i18n/Translate.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Ui.h"
#include "playlist/Playlist.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"
#include "video/VideoEngine.h"

namespace tav {

using namespace engine;

namespace {

float Limit() { return Settings().playback.AllowAmplify ? 4.0f : 1.0f; }

void ApplyLegacyVolume() {
    const PlaybackSession& s = Session();
    const float v = Settings().playback.Volume;
    if (Settings().advanced.LegacyVolume && s.playStream)
        ChannelSetAttribute(s.playStream, kAttribVol, s.muted ? 0.0f : v * v);
}

}  // namespace

void SetVolume(float volume) {
    auto& p = Settings().playback;
    p.Volume = std::clamp(volume, 0.0f, Limit());
    PublishVolume();
    if (Session().mediaKind == MediaKind::Video) VideoSetVolume(p.Volume);
    ApplyLegacyVolume();
    if (Settings().speech.Volume) {
        char text[64];
        std::snprintf(text, sizeof text, Translate("Volume %d%%").c_str(), static_cast<int>(p.Volume * 100 + 0.5f));
        Speak(text);
    }
    RefreshStatusBar();
}

void VolumeUp() { SetVolume(Settings().playback.Volume + Settings().playback.VolumeStep); }
void VolumeDown() { SetVolume(Settings().playback.Volume - Settings().playback.VolumeStep); }

void ToggleMute() {
    PlaybackSession& s = Session();
    s.muted = !s.muted;
    PublishVolume();
    if (s.mediaKind == MediaKind::Video) VideoSetMute(s.muted);
    ApplyLegacyVolume();
    Speak(Translate(s.muted ? "Muted" : "Unmuted"));
    RefreshStatusBar();
}

std::vector<DeviceMenuItem> DeviceMenuItems() {
    std::vector<DeviceMenuItem> items;
    DeviceInfo info;
    const int current = CurrentDeviceIndex();
    for (int i = 1; i < 100 && GetDeviceInfo(i, &info); ++i) {
        if (!info.enabled) continue;
        items.push_back({5000 + i, info.name, i == current || (current == -1 && info.isDefault)});
    }
    return items;
}

void SwitchToDevice(int index) {
    if (index <= 0) return;
    DeviceInfo info;
    const std::string name = GetDeviceInfo(index, &info) ? info.name : "";
    if (SwitchOutputDevice(index)) {
        SetCurrentDeviceIndex(index);
        Settings().playback.DeviceName = name;
        SaveSettings();
        Speak(Translate("Switched to ") + name);
    } else {
        Speak(Translate("Failed to switch audio device"));
    }
}

bool SwitchOutputDevice(int index) {
    PlaybackSession& s = Session();
    const bool wasPlaying = s.playStream && ChannelIsActive(s.playStream) == kPlaying;
    double pos = 0;
    std::string path;
    if (s.playStream) {
        TempoProcessor* tp = CurrentTempoProcessor();
        pos = tp && tp->isActive() ? tp->getPosition() : 0.0;
        const Playlist& pl = ThePlaylist();
        if (pl.validIndex(pl.current)) path = pl.entries[static_cast<size_t>(pl.current)];
        ReleaseAudio();
        DestroyTempoProcessor();
    }
    FreeOutputOnly();
    if (InitOutputOnly(index)) {
        SetCurrentDeviceIndex(index);
        DeviceInfo info;
        Settings().playback.DeviceName = GetDeviceInfo(index, &info) ? info.name : "";
        if (!path.empty() && OpenMedia(path) && s.playStream) {
            // The place overrides any resume position.
            if (TempoProcessor* tp = CurrentTempoProcessor(); tp && tp->isActive()) tp->seek(pos);
            if (!wasPlaying) ChannelPause(s.playStream);
            RefreshWindowTitle();
            RefreshStatusBar();
        }
        return true;
    }
    if (index != -1 && InitOutputOnly(-1)) {
        SetCurrentDeviceIndex(-1);
        Settings().playback.DeviceName.clear();
    }
    return false;
}

}  // namespace tav
