#include "app/ShellActions.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "app/Arguments.h"
#include "app/Pending.h"
#include "app/ShellMessages.h"
#include "app/TestLog.h"
#include "platform/Paths.h"
#include "playback/Transport.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

extern "C" char** environ;

namespace tav {

void StartTrackFromShell(int index) {
    if (TestLogEnabled()) {
        std::string line = "starttrack\t" + std::to_string(index);
        for (const std::string& e : ThePlaylist().entries) line += "\t" + e;
        TestLogLine(line);
    }
    StartTrack(index, true);
}

void ReplacePlaylistAndStart(std::vector<std::string> entries, int startIndex) {
    Playlist& pl = ThePlaylist();
    pl.entries = std::move(entries);
    pl.current = -1;
    if (!pl.entries.empty()) StartTrackFromShell(startIndex);
}

void OpenRecentEntry(int index) {
    const RecentFiles& recent = TheRecentFiles();
    if (index < 0 || index >= static_cast<int>(recent.entries.size())) return;
    ReplacePlaylistAndStart({recent.entries[static_cast<size_t>(index)]}, 0);
}

void OpenUrlEntry(const std::string& text) {
    if (text.empty()) return;
    ReplacePlaylistAndStart({text}, 0);
}

void OpenChosenFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    Playlist& pl = ThePlaylist();
    pl.entries.clear();
    pl.current = -1;
    std::vector<std::string> entries;
    if (paths.size() == 1 && !NotYet_IsPlaylistFile(paths[0]) && Settings().playback.LoadFolder) {
        int index = NotYet_LoadFolderOfFile(paths[0]);
        if (index >= 0) {
            // The folder loader has filled the playlist already.
            if (!pl.entries.empty()) StartTrackFromShell(index);
            return;
        }
    }
    for (const std::string& p : paths) {
        std::vector<std::string> e = EntriesOfFile(p);
        entries.insert(entries.end(), e.begin(), e.end());
    }
    ReplacePlaylistAndStart(std::move(entries), 0);
}

bool IsUrlPrefill(const std::string& text) {
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

std::string ReadmePath() {
    const std::string exe = ExecutableFolder();
    const std::string local = exe + "docs/readme.txt";
    if (PathExists(local)) return local;
    const std::string installed = exe + "../share/doc/tavrolune/readme.txt";
    if (PathExists(installed)) return installed;
    return local;
}

bool OpenWithDesktop(const std::string& path, std::function<void()> onFailure) {
    if (!PathExists(path)) {
        if (onFailure) onFailure();
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (onFailure) onFailure();
        return false;
    }
    // xdg-open may run for as long as the viewer it starts: wait on a thread of
    // its own and report a failure back to the UI thread.
    std::thread([pid, onFailure = std::move(onFailure)] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok && onFailure) CallOnUi(onFailure);
    }).detach();
    return true;
}

}  // namespace tav
