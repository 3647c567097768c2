// MIDI decoding channels: FluidSynth renders the file with a SoundFont. Our
// own reading of the file's tempo map gives the length and turns seconds into
// ticks for seeking.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/Log.h"
#include "playback/engine/Internal.h"
#include "platform/Paths.h"

namespace tav::engine::detail {

namespace {

constexpr uint32_t kMidiRate = 44100;
constexpr size_t kMaxMidiFile = 64u << 20;
// Release tails after the last event are let through, up to this long.
constexpr double kTailSeconds = 3.0;

std::vector<unsigned char> ReadAll(const std::string& path, bool* tooBig) {
    std::vector<unsigned char> d;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return d;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        d.insert(d.end(), buf, buf + n);
        if (d.size() > kMaxMidiFile) {
            *tooBig = true;
            break;
        }
    }
    std::fclose(f);
    return d;
}

uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Be16(const unsigned char* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// The Standard MIDI File inside an RMID (RIFF) wrapper, or the data itself.
bool LocateSmf(const std::vector<unsigned char>& d, size_t* off, size_t* len) {
    if (d.size() >= 14 && std::memcmp(d.data(), "MThd", 4) == 0) {
        *off = 0;
        *len = d.size();
        return true;
    }
    if (d.size() >= 20 && std::memcmp(d.data(), "RIFF", 4) == 0 && std::memcmp(d.data() + 8, "RMID", 4) == 0) {
        size_t p = 12;
        while (p + 8 <= d.size()) {
            const uint32_t sz = d[p + 4] | d[p + 5] << 8 | d[p + 6] << 16 | uint32_t(d[p + 7]) << 24;
            if (std::memcmp(d.data() + p, "data", 4) == 0 && p + 8 + sz <= d.size()) {
                *off = p + 8;
                *len = sz;
                return sz >= 14 && std::memcmp(d.data() + p + 8, "MThd", 4) == 0;
            }
            p += 8 + sz + (sz & 1);
        }
    }
    return false;
}

struct TempoMap {
    // (tick, microseconds per quarter note) in tick order; ticks at uniform
    // SMPTE rate when secondsPerTick > 0.
    std::vector<std::pair<uint64_t, uint32_t>> changes;
    int division = 480;
    double smpteSecondsPerTick = 0;
    uint64_t lastTick = 0;

    double secondsAt(uint64_t tick) const {
        if (smpteSecondsPerTick > 0) return static_cast<double>(tick) * smpteSecondsPerTick;
        double s = 0;
        uint64_t prevTick = 0;
        uint32_t us = 500000;
        for (auto& [t, u] : changes) {
            if (t >= tick) break;
            s += static_cast<double>(t - prevTick) * us / 1e6 / division;
            prevTick = t;
            us = u;
        }
        return s + static_cast<double>(tick - prevTick) * us / 1e6 / division;
    }
    uint64_t tickAt(double seconds) const {
        if (smpteSecondsPerTick > 0) return static_cast<uint64_t>(seconds / smpteSecondsPerTick);
        double s = 0;
        uint64_t prevTick = 0;
        uint32_t us = 500000;
        for (auto& [t, u] : changes) {
            const double segment = static_cast<double>(t - prevTick) * us / 1e6 / division;
            if (s + segment > seconds) break;
            s += segment;
            prevTick = t;
            us = u;
        }
        return prevTick + static_cast<uint64_t>((seconds - s) * 1e6 * division / us);
    }
};

bool ReadVlq(const unsigned char* d, size_t end, size_t* p, uint32_t* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
        if (*p >= end) return false;
        const unsigned char c = d[(*p)++];
        *v = (*v << 7) | (c & 0x7f);
        if (!(c & 0x80)) return true;
    }
    return false;
}

// Walks every track: the tempo changes and the tick of the last event.
bool ParseSmf(const unsigned char* d, size_t len, TempoMap* map) {
    if (len < 14 || std::memcmp(d, "MThd", 4) != 0 || Be32(d + 4) < 6) return false;
    const uint16_t tracks = Be16(d + 10);
    const uint16_t div = Be16(d + 12);
    if (div & 0x8000) {
        const int fps = -static_cast<int8_t>(div >> 8);
        const int tpf = div & 0xff;
        if (fps <= 0 || tpf <= 0) return false;
        map->smpteSecondsPerTick = 1.0 / (fps * tpf);
    } else {
        if (div == 0) return false;
        map->division = div;
    }
    size_t p = 8 + Be32(d + 4);
    int found = 0;
    while (p + 8 <= len && found < tracks) {
        const uint32_t sz = Be32(d + p + 4);
        const size_t start = p + 8;
        if (sz > len - start) return false;
        if (std::memcmp(d + p, "MTrk", 4) != 0) {
            p = start + sz;
            continue;
        }
        ++found;
        const size_t end = start + sz;
        size_t q = start;
        uint64_t tick = 0;
        unsigned char running = 0;
        while (q < end) {
            uint32_t delta;
            if (!ReadVlq(d, end, &q, &delta)) return false;
            tick += delta;
            if (q >= end) return false;
            unsigned char st = d[q];
            if (st & 0x80) {
                ++q;
            } else {
                if (!running) return false;
                st = running;
            }
            if (st == 0xFF) {
                if (q >= end) return false;
                const unsigned char type = d[q++];
                uint32_t l;
                if (!ReadVlq(d, end, &q, &l) || l > end - q) return false;
                if (type == 0x51 && l == 3) {
                    const uint32_t us = uint32_t(d[q]) << 16 | uint32_t(d[q + 1]) << 8 | d[q + 2];
                    if (us > 0) map->changes.emplace_back(tick, us);
                }
                q += l;
                if (type == 0x2F) break;
            } else if (st == 0xF0 || st == 0xF7) {
                uint32_t l;
                if (!ReadVlq(d, end, &q, &l) || l > end - q) return false;
                q += l;
            } else if (st >= 0x80 && st < 0xF0) {
                running = st;
                const int n = (st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0 ? 1 : 2;
                if (q + static_cast<size_t>(n) > end) return false;
                q += static_cast<size_t>(n);
            } else {
                return false;  // system messages do not belong in a file
            }
            map->lastTick = std::max(map->lastTick, tick);
        }
        p = end;
    }
    if (found == 0) return false;
    std::stable_sort(map->changes.begin(), map->changes.end(),
                     [](auto& a, auto& b) { return a.first < b.first; });
    return true;
}

void QuietLog(int level, const char* message, void*) {
    if (level <= FLUID_ERR && message) WriteLog("MIDI", message);
}

class MidiGenerator final : public Generator {
public:
    ~MidiGenerator() override { release(); }

    int open(const std::string& path, bool sinc, const std::string& font) {
        static bool logSet = [] {
            for (int l : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
                fluid_set_log_function(l, QuietLog, nullptr);
            return true;
        }();
        (void)logSet;
        if (!PathExists(path)) return kErrFileOpen;
        bool tooBig = false;
        const auto all = ReadAll(path, &tooBig);
        if (all.empty()) return kErrFileOpen;
        if (tooBig) return kErrFileForm;
        size_t off = 0, len = 0;
        if (!LocateSmf(all, &off, &len) || !ParseSmf(all.data() + off, len, &map_)) return kErrFileForm;
        smf_.assign(all.begin() + static_cast<long>(off), all.begin() + static_cast<long>(off + len));
        lengthFrames_ = static_cast<int64_t>(std::llround(map_.secondsAt(map_.lastTick) * kMidiRate));
        if (font.empty()) return kErrCodec;  // nothing to make sound with

        settings_ = new_fluid_settings();
        if (!settings_) return kErrMem;
        fluid_settings_setnum(settings_, "synth.sample-rate", kMidiRate);
        fluid_settings_setint(settings_, "synth.polyphony", Cfg().midiVoices);
        fluid_settings_setstr(settings_, "player.timing-source", "sample");
        fluid_settings_setint(settings_, "synth.lock-memory", 0);
        synth_ = new_fluid_synth(settings_);
        if (!synth_) return kErrMem;
        if (!loadFont(font)) return kErrCodec;
        interp_ = sinc ? FLUID_INTERP_HIGHEST : FLUID_INTERP_DEFAULT;
        fluid_synth_set_interp_method(synth_, -1, interp_);
        if (!startPlayer(0)) return kErrFileForm;
        return kOk;
    }

    bool setFont(const std::string& path) {
        if (!loadFont(path)) return false;
        fluid_synth_program_reset(synth_);
        return true;
    }

    uint32_t rate() const override { return kMidiRate; }
    uint32_t chans() const override { return 2; }
    uint32_t read(float* out, uint32_t frames) override {
        if (ended_) return 0;
        const int64_t limit = lengthFrames_ + static_cast<int64_t>(kTailSeconds * kMidiRate);
        uint32_t n = frames;
        if (pos_ + n > limit) n = static_cast<uint32_t>(std::max<int64_t>(0, limit - pos_));
        if (n > 0) fluid_synth_write_float(synth_, static_cast<int>(n), out, 0, 2, out, 1, 2);
        pos_ += n;
        if (n < frames || fluid_player_get_status(player_) == FLUID_PLAYER_DONE) ended_ = true;
        return n;
    }
    bool ended() const override { return ended_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    int64_t positionFrames() const override { return pos_; }
    bool seekFrames(int64_t frame) override {
        fluid_synth_all_sounds_off(synth_, -1);
        if (!startPlayer(map_.tickAt(static_cast<double>(frame) / kMidiRate))) return Fail(kErrPosition, false);
        pos_ = frame;
        ended_ = false;
        return true;
    }

private:
    bool loadFont(const std::string& path) {
        const int id = fluid_synth_sfload(synth_, path.c_str(), 1);
        if (id == FLUID_FAILED) return false;
        if (fontId_ >= 0) fluid_synth_sfunload(synth_, fontId_, 1);
        fontId_ = id;
        return true;
    }

    // A fresh player, moved to tick: a finished player cannot be restarted.
    bool startPlayer(uint64_t tick) {
        if (player_) {
            fluid_player_stop(player_);
            delete_fluid_player(player_);
        }
        player_ = new_fluid_player(synth_);
        if (!player_ || fluid_player_add_mem(player_, smf_.data(), smf_.size()) != FLUID_OK) return false;
        if (fluid_player_play(player_) != FLUID_OK) return false;
        if (tick > 0) fluid_player_seek(player_, static_cast<int>(std::min<uint64_t>(tick, INT32_MAX)));
        return true;
    }

    void release() {
        if (player_) {
            fluid_player_stop(player_);
            delete_fluid_player(player_);
        }
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        player_ = nullptr;
        synth_ = nullptr;
        settings_ = nullptr;
    }

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    int fontId_ = -1;
    int interp_ = FLUID_INTERP_DEFAULT;
    std::vector<unsigned char> smf_;
    TempoMap map_;
    int64_t lengthFrames_ = 0;
    int64_t pos_ = 0;
    bool ended_ = false;
};

}  // namespace

bool LooksLikeMidi(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char h[12] = {};
    const size_t n = std::fread(h, 1, sizeof h, f);
    std::fclose(f);
    if (n >= 4 && std::memcmp(h, "MThd", 4) == 0) return true;
    return n == 12 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "RMID", 4) == 0;
}

std::string SystemSoundFont() {
    static const char* const kCandidates[] = {
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/default.sf2",
        "/usr/share/sounds/sf3/default-GM.sf3",
    };
    for (const char* c : kCandidates)
        if (PathExists(c)) return c;
    return {};
}

std::unique_ptr<Generator> OpenMidiGenerator(const std::string& path, bool sinc, const std::string& font,
                                             int* error) {
    auto g = std::make_unique<MidiGenerator>();
    const int e = g->open(path, sinc, font);
    if (e != kOk) {
        *error = e;
        return nullptr;
    }
    return g;
}

bool SetMidiGeneratorFont(Generator* gen, const std::string& font) {
    auto* m = dynamic_cast<MidiGenerator*>(gen);
    return m && m->setFont(font);
}

}  // namespace tav::engine::detail
