#pragma once
// Starting a playlist entry. The full transport (play, pause, stop, the end of
// a track) builds on this.

namespace tav {

// Loads playlist entry index and plays it (or leaves it paused when play is
// false). Does nothing while another StartTrack runs or for an index outside
// the playlist.
void StartTrack(int index, bool play);

}  // namespace tav
