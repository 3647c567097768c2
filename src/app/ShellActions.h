#pragma once
// What the shell's own commands do to the playlist once their dialog has
// answered: replace it and start an entry.
#include <functional>
#include <string>
#include <vector>

namespace tav {

// StartTrack (index, play) for the shell; noted in the test log.
void StartTrackFromShell(int index);

// The playlist becomes entries, the current index none; then entry
// startIndex starts playing. An empty list plays nothing.
void ReplacePlaylistAndStart(std::vector<std::string> entries, int startIndex);

// Recent entry index becomes the only playlist entry and plays; an index past
// the list does nothing.
void OpenRecentEntry(int index);

// After the Open URL dialog: a non-empty text becomes the only entry and
// plays. The text is not checked here; opening reports an unusable address.
void OpenUrlEntry(const std::string& text);

// After the Open dialog: the chosen paths, in order, replace the playlist
// (playlist files contribute their entries; one chosen file may load its
// whole folder) and playback starts.
void OpenChosenFiles(const std::vector<std::string>& paths);

// The longest address the Open URL dialog keeps, in characters.
inline constexpr size_t kMaxUrlLength = 2048;
// True when clipboard text may prefill the Open URL dialog.
bool IsUrlPrefill(const std::string& text);

// <exe folder>/docs/readme.txt, or the installed copy in
// <prefix>/share/doc/tavrolune/ beside <prefix>/bin/; the first when neither
// exists (opening it then fails and says so).
std::string ReadmePath();

// Opens path with the desktop's handler (xdg-open) without waiting for it.
// onFailure runs on the UI thread when the handler cannot be started or
// reports that it could not open the file.
bool OpenWithDesktop(const std::string& path, std::function<void()> onFailure);

}  // namespace tav
