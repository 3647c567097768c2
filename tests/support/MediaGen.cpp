#include "MediaGen.h"

#include <cmath>
#include <cstdint>
#include <fstream>

namespace tavtest {

namespace {

void Be16(std::string& s, uint32_t v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v);
}
void Be32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
}
void Be64(std::string& s, uint64_t v) {
    for (int i = 7; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
}
void Le32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}
void Le64(std::string& s, uint64_t v) {
    for (int i = 0; i < 8; ++i) s += static_cast<char>(v >> (8 * i));
}

bool Save(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return f.good();
}

// One channel of 1-bit DSD: a second-order sigma-delta modulator of a sine.
std::vector<bool> Modulate(double hz, double seconds, double phase) {
    const double fs = 2822400.0;
    const size_t n = static_cast<size_t>(seconds * fs);
    std::vector<bool> bits(n);
    double v1 = 0, v2 = 0, y = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = 0.5 * std::sin(2 * M_PI * hz * static_cast<double>(i) / fs + phase);
        v1 += x - y;
        v2 += v1 - y;
        y = v2 >= 0 ? 1.0 : -1.0;
        bits[i] = y > 0;
    }
    return bits;
}

uint8_t PackByte(const std::vector<bool>& bits, size_t start, bool lsbFirst) {
    uint8_t b = 0;
    for (int k = 0; k < 8; ++k) {
        const bool bit = start + static_cast<size_t>(k) < bits.size() ? bits[start + static_cast<size_t>(k)] : (k % 2 == 0);
        if (bit) b |= lsbFirst ? static_cast<uint8_t>(1u << k) : static_cast<uint8_t>(0x80u >> k);
    }
    return b;
}

}  // namespace

bool WriteModule(const std::string& path, int cycleSamples) {
    std::string m(20, '\0');
    m.replace(0, 9, "test tone");
    for (int s = 0; s < 31; ++s) {
        std::string h(30, '\0');
        if (s == 0) {
            const uint32_t words = static_cast<uint32_t>(cycleSamples / 2);
            h[22] = static_cast<char>(words >> 8);
            h[23] = static_cast<char>(words);
            h[25] = 64;  // volume
            h[28] = static_cast<char>(words >> 8);  // loop over the whole sample
            h[29] = static_cast<char>(words);
        } else {
            h[29] = 1;  // an empty sample's loop length is one word
        }
        m += h;
    }
    m += static_cast<char>(1);    // song length: one position
    m += static_cast<char>(127);
    m += std::string(128, '\0');  // position 0 plays pattern 0
    m += "M.K.";
    std::string pattern(64 * 4 * 4, '\0');
    const int period = 214;
    pattern[0] = static_cast<char>((period >> 8) & 0x0f);  // sample 1: high nibble 0
    pattern[1] = static_cast<char>(period & 0xff);
    pattern[2] = static_cast<char>(0x10);  // sample 1 low nibble, no effect
    m += pattern;
    for (int i = 0; i < cycleSamples; ++i)
        m += static_cast<char>(static_cast<int8_t>(std::lround(100 * std::sin(2 * M_PI * i / cycleSamples))));
    return Save(path, m);
}

bool WriteDsf(const std::string& path, double hz, double seconds) {
    const uint32_t block = 4096;
    const auto left = Modulate(hz, seconds, 0), right = Modulate(hz, seconds, 0.5);
    const uint64_t samples = left.size();
    const uint64_t blocks = (samples / 8 + block - 1) / block;
    std::string data;
    for (uint64_t b = 0; b < blocks; ++b)
        for (const auto* ch : {&left, &right})
            for (uint32_t i = 0; i < block; ++i) data += static_cast<char>(PackByte(*ch, (b * block + i) * 8, true));
    std::string f = "DSD ";
    Le64(f, 28);
    Le64(f, 28 + 52 + 12 + data.size());
    Le64(f, 0);
    f += "fmt ";
    Le64(f, 52);
    Le32(f, 1);        // version
    Le32(f, 0);        // DSD raw
    Le32(f, 2);        // stereo
    Le32(f, 2);        // channels
    Le32(f, 2822400);  // sampling frequency
    Le32(f, 1);        // bits per sample
    Le64(f, samples);
    Le32(f, block);
    Le32(f, 0);
    f += "data";
    Le64(f, 12 + data.size());
    f += data;
    return Save(path, f);
}

bool WriteDff(const std::string& path, double hz, double seconds) {
    const auto left = Modulate(hz, seconds, 0), right = Modulate(hz, seconds, 0.5);
    std::string data;
    for (size_t i = 0; i < left.size(); i += 8) {
        data += static_cast<char>(PackByte(left, i, false));
        data += static_cast<char>(PackByte(right, i, false));
    }
    std::string snd = "SND ";
    snd += "FS  ";
    Be64(snd, 4);
    Be32(snd, 2822400);
    snd += "CHNL";
    Be64(snd, 2 + 8);
    Be16(snd, 2);
    snd += "SLFTSRGT";
    const std::string name = "not compressed";
    std::string cmpr = "DSD ";
    cmpr += static_cast<char>(name.size());
    cmpr += name;
    if (cmpr.size() % 2) cmpr += '\0';
    snd += "CMPR";
    Be64(snd, cmpr.size());
    snd += cmpr;
    std::string body = "DSD ";
    body += "FVER";
    Be64(body, 4);
    Be32(body, 0x01050000);
    body += "PROP";
    Be64(body, snd.size());
    body += snd;
    body += "DSD ";
    Be64(body, data.size());
    body += data;
    std::string f = "FRM8";
    Be64(f, body.size());
    f += body;
    return Save(path, f);
}

bool WriteMidi(const std::string& path, const std::vector<MidiNote>& notes, int program, int usPerQuarter) {
    auto vlq = [](std::string& s, uint32_t v) {
        std::string tmp(1, static_cast<char>(v & 0x7f));
        while (v >>= 7) tmp.insert(tmp.begin(), static_cast<char>(0x80 | (v & 0x7f)));
        s += tmp;
    };
    std::string ev;
    vlq(ev, 0);
    ev += "\xff\x51\x03";
    ev += static_cast<char>(usPerQuarter >> 16);
    ev += static_cast<char>(usPerQuarter >> 8);
    ev += static_cast<char>(usPerQuarter);
    vlq(ev, 0);
    ev += static_cast<char>(0xC0);
    ev += static_cast<char>(program);
    for (const auto& n : notes) {
        vlq(ev, 0);
        ev += static_cast<char>(0x90);
        ev += static_cast<char>(n.key);
        ev += static_cast<char>(100);
        vlq(ev, static_cast<uint32_t>(n.ticks));
        ev += static_cast<char>(0x80);
        ev += static_cast<char>(n.key);
        ev += static_cast<char>(0);
    }
    vlq(ev, 0);
    ev += std::string("\xff\x2f\x00", 3);
    std::string f = "MThd";
    Be32(f, 6);
    Be16(f, 0);
    Be16(f, 1);
    Be16(f, 480);
    f += "MTrk";
    Be32(f, static_cast<uint32_t>(ev.size()));
    f += ev;
    return Save(path, f);
}

}  // namespace tavtest
