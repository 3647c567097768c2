#include "app/StatusLine.h"

#include <cstdlib>

#include "app/WindowDisplay.h"
#include "i18n/Translate.h"
#include "playback/FormatTime.h"
#include "playback/PlaybackSession.h"
#include "playback/Recording.h"
#include "playback/Tags.h"
#include "playback/TrackInfo.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Paths.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"
#include "video/VideoEngine.h"

namespace tav {

using namespace engine;

namespace {

std::string Join(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + " | " + b;
}

int DisplayBitrate() {
    const PlaybackSession& s = Session();
    float attr = 0;
    if (s.tagStream && ChannelGetAttribute(s.tagStream, kAttribBitrate, &attr) && attr > 0) return static_cast<int>(attr);
    if (s.bitrate > 0) return s.bitrate;
    if (s.tagStream) {
        const int br = std::atoi(StreamHeader(s.tagStream, "icy-br").c_str());
        if (br >= 1) return br;
    }
    return 0;
}

std::string StateText() {
    const PlaybackSession& s = Session();
    std::string t;
    if (s.mediaKind == MediaKind::Video) {
        t = Translate(VideoIsPlaying() ? "Playing" : VideoIsPaused() ? "Paused" : "Stopped");
        if (s.videoLoaded) t = Join(t, Translate("Video"));
        return t;
    }
    if (!s.playStream) return {};
    switch (ChannelIsActive(s.playStream)) {
        case kStopped: t = Translate("Stopped"); break;
        case kPlaying: t = Translate("Playing"); break;
        case kPaused: t = Translate("Paused"); break;
        default: break;  // buffering says nothing
    }
    if (const int br = DisplayBitrate(); br > 0) {
        float vbr = 0;
        const bool isVbr = s.tagStream && ChannelGetAttribute(s.tagStream, kAttribVbr, &vbr) && vbr > 0;
        t = Join(t, isVbr ? "~" + std::to_string(br) + " kbps VBR" : std::to_string(br) + " kbps");
    }
    if (IsRecording()) t = Join(t, Translate("REC"));
    return t;
}

}  // namespace

std::array<std::string, 3> StatusTexts() {
    const PlaybackSession& s = Session();
    std::string time = "--:-- / --:--";
    if (s.mediaKind == MediaKind::Video) {
        if (VideoDuration() > 0) time = FormatTime(VideoPosition()) + " / " + FormatTime(VideoDuration());
    } else if (TempoProcessor* tp = CurrentTempoProcessor(); s.playStream && tp && tp->isActive()) {
        if (const double len = tp->getLength(); len > 0) time = FormatTime(tp->getPosition()) + " / " + FormatTime(len);
    }
    const int percent = static_cast<int>(Settings().playback.Volume * 100 + 0.5f);
    return {time, Translate("Vol") + ": " + std::to_string(percent) + "%", StateText()};
}

std::string WindowCaption() {
    const std::string product = "Tavrolune";
    if (!Settings().playback.ShowTitleInWindow) return product;
    const Playlist& pl = ThePlaylist();
    const std::string entryName = pl.validIndex(pl.current) ? FileNameOf(pl.entries[static_cast<size_t>(pl.current)]) : "";
    if (Session().mediaKind == MediaKind::Video) {
        std::string t = VideoMediaTitle();
        if (t.empty()) t = entryName;
        return t.empty() ? product : product + " - " + t;
    }
    if (!pl.validIndex(pl.current)) return product;
    const std::string v = TagDialogValue(270);
    const bool real = !v.empty() && v != Translate("No title") && v != Translate("Nothing playing");
    return product + " - " + (real ? v : entryName);
}

void UpdateStatusBar() {
    const PlaybackSession& s = Session();
    if (s.loading || s.trackChanging) return;
    ShowStatusTexts(StatusTexts());
}

void UpdateWindowTitle() { ShowWindowTitle(WindowCaption()); }

}  // namespace tav
