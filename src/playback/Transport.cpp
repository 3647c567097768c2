#include "playback/Transport.h"

#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playlist/Playlist.h"

namespace tav {

void StartTrack(int index, bool play) {
    PlaybackSession& s = Session();
    Playlist& pl = ThePlaylist();
    if (s.trackChanging || !pl.validIndex(index)) return;
    s.trackChanging = true;
    pl.current = index;
    if (OpenMedia(pl.entries[static_cast<size_t>(index)]) && !play && s.playStream)
        engine::ChannelPause(s.playStream);
    s.trackChanging = false;
}

}  // namespace tav
