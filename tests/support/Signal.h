#pragma once
// Measuring rendered audio: level, dominant frequency, silence.
#include <cstddef>
#include <vector>

namespace tavtest {

// Interleaved float samples with their format.
struct Audio {
    std::vector<float> samples;
    int rate = 44100;
    int channels = 2;
    size_t frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
    double seconds() const { return rate ? static_cast<double>(frames()) / rate : 0.0; }
    // One channel, frames [begin, end).
    std::vector<float> channel(int c, size_t begin = 0, size_t end = static_cast<size_t>(-1)) const;
};

double Rms(const std::vector<float>& x);
double Peak(const std::vector<float>& x);
double Db(double linear);
// The strongest frequency (Hz) in x, refined between FFT bins.
double DominantFrequency(const std::vector<float>& x, int rate);
// Index of the first frame of channel 0 whose 10 ms window is below the level
// (RMS), starting at frame from; frames() when none.
size_t FirstQuietFrame(const Audio& a, double level, size_t from = 0);
size_t FirstLoudFrame(const Audio& a, double level, size_t from = 0);

}  // namespace tavtest
