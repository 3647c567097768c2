#include "playback/PlaybackSession.h"

namespace tav {

PlaybackSession& Session() {
    static PlaybackSession session;
    return session;
}

}  // namespace tav
