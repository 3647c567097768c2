// MIDI decoding channels: our own reading of the Standard MIDI File drives
// FluidSynth, which renders with a SoundFont.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
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

// One event of the file, with the frame at which it sounds.
struct MidiEvent {
    uint64_t tick = 0;
    int64_t frame = 0;
    uint32_t order = 0;  // file order among events of the same tick
    uint8_t status = 0;
    uint8_t a = 0, b = 0;
    std::vector<uint8_t> sysex;  // without the leading F0
};

struct ParsedSmf {
    std::vector<MidiEvent> events;                       // in time order
    std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds per quarter
    int division = 480;
    double smpteSecondsPerTick = 0;
    uint64_t lastTick = 0;
};

constexpr size_t kMaxEvents = 4u << 20;

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

// Walks every track into one list of channel and system-exclusive events,
// with the tempo changes; false for anything that is not a valid file.
bool ParseSmf(const unsigned char* d, size_t len, ParsedSmf* out) {
    if (len < 14 || std::memcmp(d, "MThd", 4) != 0 || Be32(d + 4) < 6) return false;
    const uint16_t tracks = Be16(d + 10);
    const uint16_t div = Be16(d + 12);
    if (div & 0x8000) {
        const int fps = -static_cast<int8_t>(div >> 8);
        const int tpf = div & 0xff;
        if (fps <= 0 || tpf <= 0) return false;
        out->smpteSecondsPerTick = 1.0 / (fps * tpf);
    } else {
        if (div == 0) return false;
        out->division = div;
    }
    size_t p = 8 + Be32(d + 4);
    int found = 0;
    uint32_t order = 0;
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
            if (out->events.size() >= kMaxEvents) return false;
            if (st == 0xFF) {
                if (q >= end) return false;
                const unsigned char type = d[q++];
                uint32_t l;
                if (!ReadVlq(d, end, &q, &l) || l > end - q) return false;
                if (type == 0x51 && l == 3) {
                    const uint32_t us = uint32_t(d[q]) << 16 | uint32_t(d[q + 1]) << 8 | d[q + 2];
                    if (us > 0) out->tempos.emplace_back(tick, us);
                }
                q += l;
                out->lastTick = std::max(out->lastTick, tick);
                if (type == 0x2F) break;
            } else if (st == 0xF0 || st == 0xF7) {
                uint32_t l;
                if (!ReadVlq(d, end, &q, &l) || l > end - q) return false;
                MidiEvent e;
                e.tick = tick;
                e.order = order++;
                e.status = st;
                e.sysex.assign(d + q, d + q + l);
                if (!e.sysex.empty() && e.sysex.back() == 0xF7) e.sysex.pop_back();
                if (st == 0xF0) out->events.push_back(std::move(e));
                q += l;
                out->lastTick = std::max(out->lastTick, tick);
            } else if (st >= 0x80 && st < 0xF0) {
                running = st;
                const int n = (st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0 ? 1 : 2;
                if (q + static_cast<size_t>(n) > end) return false;
                MidiEvent e;
                e.tick = tick;
                e.order = order++;
                e.status = st;
                e.a = d[q] & 0x7f;
                e.b = n == 2 ? (d[q + 1] & 0x7f) : 0;
                out->events.push_back(std::move(e));
                q += static_cast<size_t>(n);
                out->lastTick = std::max(out->lastTick, tick);
            } else {
                return false;  // system messages do not belong in a file
            }
        }
        p = end;
    }
    if (found == 0) return false;
    std::stable_sort(out->tempos.begin(), out->tempos.end(), [](auto& x, auto& y) { return x.first < y.first; });
    std::stable_sort(out->events.begin(), out->events.end(), [](const MidiEvent& x, const MidiEvent& y) {
        return x.tick != y.tick ? x.tick < y.tick : x.order < y.order;
    });
    return true;
}

// Frames from the start for a tick, walking the tempo map alongside events
// that come in tick order.
class TickClock {
public:
    explicit TickClock(const ParsedSmf& s) : s_(s) {}
    int64_t frameAt(uint64_t tick) {
        if (s_.smpteSecondsPerTick > 0)
            return static_cast<int64_t>(std::llround(static_cast<double>(tick) * s_.smpteSecondsPerTick * kMidiRate));
        while (next_ < s_.tempos.size() && s_.tempos[next_].first <= tick) {
            seconds_ += static_cast<double>(s_.tempos[next_].first - tick_) * us_ / 1e6 / s_.division;
            tick_ = s_.tempos[next_].first;
            us_ = s_.tempos[next_].second;
            ++next_;
        }
        const double t = seconds_ + static_cast<double>(tick - tick_) * us_ / 1e6 / s_.division;
        return static_cast<int64_t>(std::llround(t * kMidiRate));
    }

private:
    const ParsedSmf& s_;
    size_t next_ = 0;
    uint64_t tick_ = 0;
    double seconds_ = 0;
    uint32_t us_ = 500000;
};

void QuietLog(int level, const char* message, void*) {
    if (level <= FLUID_ERR && message) WriteLog("MIDI", message);
}

// Plays the file's events into FluidSynth ourselves, at the exact frame each
// belongs to: seeking is then exact too (controllers and programs are replayed
// up to the target, notes before it are not).
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
        ParsedSmf smf;
        if (!LocateSmf(all, &off, &len) || !ParseSmf(all.data() + off, len, &smf)) return kErrFileForm;
        TickClock clock(smf);
        for (auto& e : smf.events) e.frame = clock.frameAt(e.tick);
        lengthFrames_ = clock.frameAt(smf.lastTick);
        events_ = std::move(smf.events);
        if (font.empty()) return kErrCodec;  // nothing to make sound with

        settings_ = new_fluid_settings();
        if (!settings_) return kErrMem;
        fluid_settings_setnum(settings_, "synth.sample-rate", kMidiRate);
        fluid_settings_setint(settings_, "synth.polyphony", Cfg().midiVoices);
        fluid_settings_setint(settings_, "synth.lock-memory", 0);
        // FluidSynth's default gain (0.2) plays General MIDI files far below
        // other media; 0.5 brings them near the level of a mastered track.
        fluid_settings_setnum(settings_, "synth.gain", 0.5);
        synth_ = new_fluid_synth(settings_);
        if (!synth_) return kErrMem;
        if (!loadFont(font)) return kErrCodec;
        fluid_synth_set_interp_method(synth_, -1, sinc ? FLUID_INTERP_HIGHEST : FLUID_INTERP_DEFAULT);
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
        uint32_t done = 0;
        const int64_t tailEnd = lengthFrames_ + static_cast<int64_t>(kTailSeconds * kMidiRate);
        while (done < frames && !ended_) {
            while (next_ < events_.size() && events_[next_].frame <= pos_) send(events_[next_++], true);
            int64_t until = pos_ + (frames - done);
            if (next_ < events_.size()) until = std::min(until, events_[next_].frame);
            if (next_ == events_.size()) {
                // After the last event: let the release tails ring out, briefly.
                if (pos_ >= lengthFrames_ && (pos_ >= tailEnd || fluid_synth_get_active_voice_count(synth_) == 0)) {
                    ended_ = true;
                    break;
                }
                until = std::min(until, std::max(pos_ + 64, std::min(tailEnd, pos_ + 512)));
                until = std::min<int64_t>(until, pos_ + (frames - done));
            }
            const int n = static_cast<int>(until - pos_);
            if (n <= 0) continue;
            float* o = out + static_cast<size_t>(done) * 2;
            fluid_synth_write_float(synth_, n, o, 0, 2, o, 1, 2);
            pos_ += n;
            done += static_cast<uint32_t>(n);
        }
        return done;
    }
    bool ended() const override { return ended_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    int64_t positionFrames() const override { return pos_; }

    bool seekFrames(int64_t frame) override {
        fluid_synth_all_sounds_off(synth_, -1);
        fluid_synth_system_reset(synth_);
        next_ = 0;
        // Programs, controllers and bends up to the target; a note that is
        // held across the target sounds again from there.
        std::map<int, uint8_t> held;  // channel * 128 + key -> velocity
        while (next_ < events_.size() && events_[next_].frame < frame) {
            const MidiEvent& e = events_[next_++];
            const int kind = e.status & 0xF0, key = (e.status & 0x0f) * 128 + e.a;
            if (kind == 0x90 && e.b > 0)
                held[key] = e.b;
            else if (kind == 0x80 || kind == 0x90)
                held.erase(key);
            send(e, false);
        }
        for (auto [key, velocity] : held) fluid_synth_noteon(synth_, key / 128, key % 128, velocity);
        pos_ = frame;
        ended_ = false;
        return true;
    }

private:
    void send(const MidiEvent& e, bool notes) {
        const int ch = e.status & 0x0f;
        switch (e.status & 0xF0) {
            case 0x80:
                if (notes) fluid_synth_noteoff(synth_, ch, e.a);
                break;
            case 0x90:
                if (!notes) break;
                if (e.b == 0)
                    fluid_synth_noteoff(synth_, ch, e.a);
                else
                    fluid_synth_noteon(synth_, ch, e.a, e.b);
                break;
            case 0xA0: fluid_synth_key_pressure(synth_, ch, e.a, e.b); break;
            case 0xB0: fluid_synth_cc(synth_, ch, e.a, e.b); break;
            case 0xC0: fluid_synth_program_change(synth_, ch, e.a); break;
            case 0xD0: fluid_synth_channel_pressure(synth_, ch, e.a); break;
            case 0xE0: fluid_synth_pitch_bend(synth_, ch, e.a | (e.b << 7)); break;
            case 0xF0:
                if (!e.sysex.empty())
                    fluid_synth_sysex(synth_, reinterpret_cast<const char*>(e.sysex.data()),
                                      static_cast<int>(e.sysex.size()), nullptr, nullptr, nullptr, 0);
                break;
        }
    }

    bool loadFont(const std::string& path) {
        const int id = fluid_synth_sfload(synth_, path.c_str(), 1);
        if (id == FLUID_FAILED) return false;
        if (fontId_ >= 0) fluid_synth_sfunload(synth_, fontId_, 1);
        fontId_ = id;
        return true;
    }

    void release() {
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        synth_ = nullptr;
        settings_ = nullptr;
    }

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    int fontId_ = -1;
    std::vector<MidiEvent> events_;
    size_t next_ = 0;
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
