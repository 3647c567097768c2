#pragma once
// Moving through the playlist: next, previous, jumps, shuffle, repeat, and the
// recent-files list.
#include <string>

namespace tav {

// Advances by shuffle and repeat mode (command 204 and the end of a track).
void NextTrack(bool play);
// Restarts the track after 3 seconds, else goes to the previous entry.
void PreviousTrack();
// Jumps n entries (negative = back), clamped to the list.
void MoveByTracks(int n);
void ToggleShuffle();
void CycleRepeatMode();
// Local paths only, newest first, at most ten.
void AddRecentFile(const std::string& path);

// The shuffle draw; tests replace it to make runs repeatable.
void SeedShuffle(unsigned seed);

}  // namespace tav
