#pragma once
// The playlist and the recent files: touched only on the UI thread.
#include <string>
#include <vector>

namespace tav {

struct Playlist {
    std::vector<std::string> entries;  // local paths or URLs, UTF-8
    int current = -1;                  // -1 = none

    bool validIndex(int i) const { return i >= 0 && i < static_cast<int>(entries.size()); }
    int size() const { return static_cast<int>(entries.size()); }
};

struct RecentFiles {
    static constexpr int kMax = 10;
    std::vector<std::string> entries;  // newest first, local paths only
};

Playlist& ThePlaylist();
RecentFiles& TheRecentFiles();

}  // namespace tav
