#pragma once
// Media the ffmpeg tool cannot write, made byte by byte: a tracker module,
// DSD files (DSF and DSDIFF) and Standard MIDI Files.
#include <string>
#include <vector>

namespace tavtest {

// A ProTracker module: one pattern of 64 rows (7.68 s at the default speed)
// whose first row starts a looped one-cycle sine of cycleSamples samples at
// period 214 on channel 1.
bool WriteModule(const std::string& path, int cycleSamples = 32);
// Stereo DSD64 (2.8224 MHz) of a sine at hz, from a second-order
// sigma-delta modulator.
bool WriteDsf(const std::string& path, double hz, double seconds);
bool WriteDff(const std::string& path, double hz, double seconds);

struct MidiNote {
    int key;
    int ticks;  // duration; notes follow each other
};
// Format 0, 480 ticks per quarter, 120 bpm unless a tempo (us per quarter) is given.
bool WriteMidi(const std::string& path, const std::vector<MidiNote>& notes, int program = 0,
               int usPerQuarter = 500000);

}  // namespace tavtest
