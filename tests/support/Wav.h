#pragma once
// Reading the float (or 16-bit) WAV files that tavrolune-render and SDL's
// disk driver produce.
#include <string>

#include "Signal.h"

namespace tavtest {
// A RIFF WAVE file of 16-bit PCM or 32-bit float.
bool ReadWav(const std::string& path, Audio* out);
// Raw interleaved floats (SDL's disk driver output).
bool ReadRawFloat(const std::string& path, int rate, int channels, Audio* out);
}  // namespace tavtest
