#pragma once
// The transport: starting a playlist entry, play, pause, stop.

namespace tav {

// Loads playlist entry index and plays it (or leaves it paused when play is
// false). Does nothing while another StartTrack runs or for an index outside
// the playlist.
void StartTrack(int index, bool play);
void Play();           // command 212
void PausePlayback();  // command 213
void PlayPause();      // command 201
void StopPlayback();   // command 202

}  // namespace tav
