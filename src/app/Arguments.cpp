#include "app/Arguments.h"

#include <filesystem>

#include "app/Pending.h"
#include "platform/Paths.h"
#include "playlist/Playlist.h"
#include "storage/IniFile.h"

namespace tav {

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return abs.lexically_normal().string();
}

std::vector<std::string> ExistingArguments(int argc, const char* const* argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) continue;
        std::string arg = argv[i];
        if (PathExists(arg)) files.push_back(AbsolutePath(arg));
    }
    return files;
}

bool ShouldHandOver(bool allowMultipleInstances, bool anyFile) {
    return !allowMultipleInstances || anyFile;
}

bool ReadAllowMultipleInstances(const std::string& settingsPath) {
    IniFile ini;
    ini.load(settingsPath);
    return ini.getInt("Playback", "AllowMultipleInstances", 0) != 0;
}

std::vector<std::string> EntriesOfFile(const std::string& path) {
    if (NotYet_IsPlaylistFile(path)) return NotYet_ReadPlaylistFile(path);
    return {path};
}

void AddCommandLineFiles(const std::vector<std::string>& files) {
    Playlist& pl = ThePlaylist();
    for (const std::string& f : files) {
        std::vector<std::string> entries = EntriesOfFile(f);
        pl.entries.insert(pl.entries.end(), entries.begin(), entries.end());
    }
}

}  // namespace tav
