#include "Wav.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace tavtest {

namespace {
uint32_t U32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

bool ReadWav(const std::string& path, Audio* out) {
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(f)), {});
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVE", 4) != 0) return false;
    size_t pos = 12;
    int format = 0, bits = 0;
    while (pos + 8 <= d.size()) {
        const unsigned char* c = d.data() + pos;
        uint32_t size = U32(c + 4);
        if (std::memcmp(c, "fmt ", 4) == 0 && size >= 16) {
            format = U16(c + 8);
            out->channels = U16(c + 10);
            out->rate = static_cast<int>(U32(c + 12));
            bits = U16(c + 22);
            if (format == 0xFFFE && size >= 40) format = U16(c + 32);
        } else if (std::memcmp(c, "data", 4) == 0) {
            size_t avail = std::min<size_t>(size, d.size() - pos - 8);
            const unsigned char* s = c + 8;
            out->samples.clear();
            if (format == 3 && bits == 32) {
                out->samples.resize(avail / 4);
                std::memcpy(out->samples.data(), s, out->samples.size() * 4);
            } else if (format == 1 && bits == 16) {
                for (size_t i = 0; i + 1 < avail; i += 2)
                    out->samples.push_back(static_cast<int16_t>(U16(s + i)) / 32768.0f);
            } else {
                return false;
            }
            return out->channels > 0;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

bool ReadRawFloat(const std::string& path, int rate, int channels, Audio* out) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> d((std::istreambuf_iterator<char>(f)), {});
    out->rate = rate;
    out->channels = channels;
    out->samples.resize(d.size() / 4);
    std::memcpy(out->samples.data(), d.data(), out->samples.size() * 4);
    return f.good() || f.eof();
}

}  // namespace tavtest
