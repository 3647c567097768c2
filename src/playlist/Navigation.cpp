#include "playlist/Navigation.h"

#include <random>

#include "i18n/Translate.h"
#include "playback/PlaybackSession.h"
#include "playback/Transport.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Ui.h"
#include "playlist/Playlist.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"

namespace tav {

namespace {

constexpr int kShuffleCommand = 215;

std::mt19937& Shuffler() {
    static std::mt19937 rng{std::random_device{}()};
    return rng;
}

bool Busy() { return ThePlaylist().entries.empty() || Session().trackChanging; }

}  // namespace

void SeedShuffle(unsigned seed) { Shuffler().seed(seed); }

void NextTrack(bool play) {
    if (Busy()) return;
    Playlist& pl = ThePlaylist();
    const auto& p = Settings().playback;
    int target;
    if (p.RepeatMode == 1 && pl.validIndex(pl.current)) {
        target = pl.current;
    } else if (p.Shuffle && pl.size() >= 2) {
        // A random pick among the other entries, each time.
        std::uniform_int_distribution<int> pick(0, pl.size() - 1);
        do target = pick(Shuffler());
        while (target == pl.current);
    } else {
        target = pl.current + 1;
        if (target >= pl.size()) {
            if (p.RepeatMode == 2)
                StartTrack(0, play);
            else
                StopPlayback();
            return;
        }
    }
    StartTrack(target, play);
}

void PreviousTrack() {
    if (Busy()) return;
    TempoProcessor* tp = CurrentTempoProcessor();
    if (Session().playStream && tp && tp->isActive() && tp->getPosition() > 3.0) {
        tp->seek(0);
        RefreshStatusBar();
        return;
    }
    StartTrack(std::max(ThePlaylist().current - 1, 0), true);
}

void MoveByTracks(int n) {
    if (Busy()) return;
    const Playlist& pl = ThePlaylist();
    const int target = std::clamp(pl.current + n, 0, pl.size() - 1);
    if (target != pl.current) StartTrack(target, true);
}

void ToggleShuffle() {
    auto& p = Settings().playback;
    p.Shuffle = !p.Shuffle;
    Speak(Translate(p.Shuffle ? "Shuffle on" : "Shuffle off"));
    SetMenuCheck(kShuffleCommand, p.Shuffle);
    SaveSettings();
}

void CycleRepeatMode() {
    auto& p = Settings().playback;
    p.RepeatMode = (p.RepeatMode + 1) % 3;
    static const char* const kTexts[] = {"Repeat off", "Repeat track", "Repeat all"};
    Speak(Translate(kTexts[p.RepeatMode]));
    SaveSettings();
}

void AddRecentFile(const std::string& path) {
    if (path.empty()) return;
    if (path.size() > 2 && path.find("://") != std::string::npos) return;
    auto& list = TheRecentFiles().entries;
    // Two names that differ in case are two files here.
    for (auto it = list.begin(); it != list.end(); ++it)
        if (*it == path) {
            list.erase(it);
            break;
        }
    list.insert(list.begin(), path);
    if (list.size() > static_cast<size_t>(RecentFiles::kMax)) list.resize(RecentFiles::kMax);
}

}  // namespace tav
