#include "app/HandOverReceiver.h"

#include "app/Arguments.h"
#include "app/Pending.h"
#include "platform/Paths.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

namespace tav {

HandOverReceiver::HandOverReceiver(Hooks hooks) : hooks_(std::move(hooks)) {}

void HandOverReceiver::markStart() { startTick_ = hooks_.tick(); }

int HandOverReceiver::receive(uint32_t marker, const std::string& path) {
    if ((marker != 1 && marker != 2) || path.empty() || !PathExists(path)) return 1;
    const uint32_t elapsed = hooks_.tick() - startTick_;
    const bool noDelay = Settings().advanced.DisableBatchDelay;
    Playlist& pl = ThePlaylist();
    std::vector<std::string> entries = EntriesOfFile(path);
    if (!noDelay && elapsed < kBatchWindowMs && !pl.entries.empty()) {
        // Still part of the start: the files join the command line's playlist.
        pl.entries.insert(pl.entries.end(), entries.begin(), entries.end());
        return 1;
    }
    batch_.insert(batch_.end(), entries.begin(), entries.end());
    hooks_.startBatchTimer(noDelay ? 0 : static_cast<int>(kBatchWindowMs));
    return 1;
}

void HandOverReceiver::applyBatch() {
    hooks_.killBatchTimer();
    if (batch_.empty()) return;
    Playlist& pl = ThePlaylist();
    int start = 0;
    bool loaded = false;
    if (Settings().playback.LoadFolder && batch_.size() == 1) {
        const int index = NotYet_LoadFolderOfFile(batch_.front());
        if (index >= 0) {
            start = index;
            loaded = true;
        }
    }
    if (!loaded) {
        pl.entries = std::move(batch_);
        pl.current = -1;
    }
    batch_.clear();
    hooks_.startTrack(start);
    if (Settings().playback.BringToFront) hooks_.bringToFront();
}

}  // namespace tav
