#include "playback/Transport.h"

#include "i18n/Translate.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Tags.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Paths.h"
#include "platform/Posting.h"
#include "platform/Ui.h"
#include "playlist/Navigation.h"
#include "playlist/Playlist.h"
#include "playlist/ResumePositions.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"
#include "video/VideoEngine.h"

namespace tav {

using namespace engine;

namespace {

constexpr int kMaxAttempts = 10;
constexpr size_t kMaxAnnouncedName = 511;  // bytes

bool Loaded() { return Session().playStream != 0; }
bool IsPlaying() { return Loaded() && ChannelIsActive(Session().playStream) == kPlaying; }

// Cuts a UTF-8 text to at most n bytes without splitting a character.
std::string CutUtf8(const std::string& s, size_t n) {
    if (s.size() <= n) return s;
    size_t cut = n;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return s.substr(0, cut);
}

void AnnounceTrack(const std::string& entry) {
    const PlaybackSession& s = Session();
    const Handle ch = s.sourceStream ? s.sourceStream : s.playStream;
    if (!ch) return;  // a video says nothing here
    const Handle tags = s.tagStream ? s.tagStream : ch;
    if (std::string t = GetStreamTitle(tags); !t.empty()) {
        Speak(t);
        return;
    }
    std::string title = GetTagValue(tags, "TITLE"), artist = GetTagValue(tags, "ARTIST");
    if (title.empty()) {
        if (auto id3 = ReadId3v1(tags)) {
            title = id3->title;
            if (artist.empty()) artist = id3->artist;
        }
    }
    if (!artist.empty() && !title.empty())
        Speak(artist + " - " + title);
    else if (!title.empty())
        Speak(title);
    else
        Speak(CutUtf8(FileNameOf(entry), kMaxAnnouncedName));
}

void StartLoaded() {
    ChannelPlay(Session().playStream, false);
    RefreshWindowTitle();
}

// Nothing loaded: open the current entry directly (no resume save, no recent
// file, no announcement), or start the first entry when there is none.
void OpenCurrentDirectly() {
    Playlist& pl = ThePlaylist();
    if (!pl.validIndex(pl.current)) {
        if (pl.size() > 0) StartTrack(0, true);
        return;
    }
    const std::string& entry = pl.entries[static_cast<size_t>(pl.current)];
    if (IsUrl(entry))
        OpenUrlStream(entry, false);
    else
        OpenMedia(entry);
    if (!Loaded()) return;
    StartLoaded();
}

}  // namespace

void StartTrack(int index, bool play) {
    PlaybackSession& s = Session();
    Playlist& pl = ThePlaylist();
    if (s.trackChanging || !pl.validIndex(index)) return;
    s.trackChanging = true;
    if (Loaded() && pl.validIndex(pl.current)) SaveResumePosition(pl.entries[static_cast<size_t>(pl.current)]);

    bool opened = false;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        pl.current = index;
        if (OpenMedia(pl.entries[static_cast<size_t>(index)])) {
            opened = true;
            break;
        }
        // Skip entries that cannot be played, forwards only, never wrapping.
        if (pl.size() < 2 || index + 1 >= pl.size()) break;
        ++index;
    }
    if (!opened) {
        s.trackChanging = false;
        return;
    }
    const std::string entry = pl.entries[static_cast<size_t>(index)];
    AddRecentFile(entry);
    if (!play && Loaded()) ChannelPause(s.playStream);
    Post(PostedMessage{kMsgPlaylistChanged, 0, 0, {}});
    if (Settings().speech.TrackChange) AnnounceTrack(entry);
    s.trackChanging = false;
}

void Play() {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        VideoResume();
        RefreshStatusBar();
        return;
    }
    if (Loaded()) {
        // Play while playing starts the track again.
        if (IsPlaying()) GetTempoProcessor()->seek(0);
        StartLoaded();
    } else {
        OpenCurrentDirectly();
        if (!Loaded()) return;
    }
    RefreshStatusBar();
}

void PausePlayback() {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        VideoPause();
        RefreshStatusBar();
        return;
    }
    if (!Loaded()) return;
    if (s.isLive) {
        Speak(Translate("Cannot pause live stream"));
        return;
    }
    ChannelPause(s.playStream);
    const int rewindMs = Settings().playback.RewindOnPauseMs;
    if (rewindMs > 0 && !s.trackChanging && !s.loading) {
        if (ChannelIsActive(s.playStream) == kStopped && ErrorGetCode() == kErrHandle) {
            // The stream is gone under us: forget it; the next Play opens the entry again.
            s.playStream = 0;
            s.sourceStream = 0;
        } else if (TempoProcessor* tp = CurrentTempoProcessor(); tp && tp->isActive()) {
            const double length = tp->getLength();
            if (length > 0) {
                tp->seek(std::min(length, std::max(0.0, tp->getPosition() - rewindMs / 1000.0)));
                RefreshStatusBar();
            }
        }
    }
    RefreshWindowTitle();
    RefreshStatusBar();
}

void PlayPause() {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        VideoTogglePause();
        RefreshStatusBar();
        return;
    }
    if (IsPlaying()) {
        // A radio stream cannot wait paused: it is stopped, and Play reconnects.
        if (s.isLive)
            StopPlayback();
        else
            PausePlayback();
        return;
    }
    if (Loaded())
        StartLoaded();
    else
        OpenCurrentDirectly();
    RefreshStatusBar();
}

void StopPlayback() {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        StopVideo();
    } else if (Loaded() && s.isLive) {
        // The radio stream is gone; playing again reconnects.
        ReleaseAudio();
        s.isLive = false;
        s.bitrate = 0;
        DestroyTempoProcessor();
    } else if (Loaded()) {
        ChannelStop(s.playStream);
        if (TempoProcessor* tp = CurrentTempoProcessor(); tp && tp->isActive()) tp->seek(0);
    }
    RefreshWindowTitle();
    RefreshStatusBar();
}

}  // namespace tav
