#include "playlist/Playlist.h"

namespace tav {

Playlist& ThePlaylist() {
    static Playlist playlist;
    return playlist;
}

RecentFiles& TheRecentFiles() {
    static RecentFiles recent;
    return recent;
}

}  // namespace tav
