#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace tavtest {

std::vector<float> Audio::channel(int c, size_t begin, size_t end) const {
    end = std::min(end, frames());
    std::vector<float> out;
    for (size_t i = begin; i < end; ++i) out.push_back(samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)]);
    return out;
}

double Rms(const std::vector<float>& x) {
    if (x.empty()) return 0.0;
    double s = 0;
    for (float v : x) s += static_cast<double>(v) * v;
    return std::sqrt(s / static_cast<double>(x.size()));
}

double Peak(const std::vector<float>& x) {
    double p = 0;
    for (float v : x) p = std::max(p, std::fabs(static_cast<double>(v)));
    return p;
}

double Db(double linear) { return 20.0 * std::log10(std::max(linear, 1e-12)); }

namespace {
void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double ang = -2 * M_PI / static_cast<double>(len);
        std::complex<double> wl(std::cos(ang), std::sin(ang));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                auto u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= wl;
            }
        }
    }
}
}  // namespace

double DominantFrequency(const std::vector<float>& x, int rate) {
    size_t n = 1;
    while (n * 2 <= x.size() && n < (1u << 18)) n *= 2;
    if (n < 64) return 0.0;
    std::vector<std::complex<double>> a(n);
    const size_t off = (x.size() - n) / 2;
    for (size_t i = 0; i < n; ++i) {
        double w = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1));
        a[i] = x[off + i] * w;
    }
    Fft(a);
    size_t best = 1;
    for (size_t k = 1; k < n / 2; ++k)
        if (std::abs(a[k]) > std::abs(a[best])) best = k;
    // Parabolic interpolation on the log magnitudes.
    double refined = static_cast<double>(best);
    if (best > 1 && best + 1 < n / 2) {
        double l = std::log(std::abs(a[best - 1]) + 1e-20), c = std::log(std::abs(a[best]) + 1e-20),
               r = std::log(std::abs(a[best + 1]) + 1e-20);
        double d = l - 2 * c + r;
        if (d != 0) refined += 0.5 * (l - r) / d;
    }
    return refined * rate / static_cast<double>(n);
}

namespace {
double WindowRms(const Audio& a, size_t start, size_t len) {
    double s = 0;
    size_t n = 0;
    for (size_t i = start; i < start + len && i < a.frames(); ++i, ++n) {
        double v = a.samples[i * static_cast<size_t>(a.channels)];
        s += v * v;
    }
    return n ? std::sqrt(s / static_cast<double>(n)) : 0.0;
}
}  // namespace

size_t FirstQuietFrame(const Audio& a, double level, size_t from) {
    const size_t win = static_cast<size_t>(a.rate / 100);
    for (size_t i = from; i + win <= a.frames(); i += win / 4)
        if (WindowRms(a, i, win) < level) return i;
    return a.frames();
}

size_t FirstLoudFrame(const Audio& a, double level, size_t from) {
    const size_t win = static_cast<size_t>(a.rate / 100);
    for (size_t i = from; i + win <= a.frames(); i += win / 4)
        if (WindowRms(a, i, win) >= level) return i;
    return a.frames();
}

}  // namespace tavtest
