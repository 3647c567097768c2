// tavrolune-render: plays a file or URL through the player's own opening path
// (decoding channel, tempo processor, rate, effects, mixer) on the "No sound"
// device and writes what would be heard to a float WAV file, as fast as it can.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Posting.h"
#include "storage/AppSettings.h"

namespace {

constexpr int kCommandNext = 204;

void Usage() {
    std::fprintf(stderr,
                 "usage: tavrolune-render [--tempo PERCENT] [--pitch SEMITONES] [--rate FACTOR]\n"
                 "                        [--engine 0|1|2] [--seek SECONDS] [--duration SECONDS]\n"
                 "                        INPUT OUTPUT.wav\n");
}

// The end of the track arrives as the command the main window would get.
class EndWatcher final : public tav::Poster {
public:
    std::atomic<bool> ended{false};
    void post(tav::PostedMessage m) override {
        if (m.id == tav::kMsgCommand && m.wParam == kCommandNext) ended = true;
    }
};

class WavWriter {
public:
    bool open(const std::string& path) {
        f_ = std::fopen(path.c_str(), "wb");
        if (!f_) return false;
        unsigned char header[44] = {};
        return std::fwrite(header, 1, sizeof header, f_) == sizeof header;
    }
    bool write(const float* stereo, uint32_t frames) {
        frames_ += frames;
        return std::fwrite(stereo, sizeof(float) * 2, frames, f_) == frames;
    }
    bool close() {
        if (!f_) return false;
        const uint32_t data = static_cast<uint32_t>(frames_ * 8);
        unsigned char h[44];
        auto u32 = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i) h[at + i] = static_cast<unsigned char>(v >> (8 * i));
        };
        auto u16 = [&](int at, uint16_t v) {
            h[at] = static_cast<unsigned char>(v);
            h[at + 1] = static_cast<unsigned char>(v >> 8);
        };
        std::memcpy(h, "RIFF", 4);
        u32(4, 36 + data);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        u32(16, 16);
        u16(20, 3);  // IEEE float
        u16(22, 2);
        u32(24, 44100);
        u32(28, 44100 * 8);
        u16(32, 8);
        u16(34, 32);
        std::memcpy(h + 36, "data", 4);
        u32(40, data);
        bool ok = std::fseek(f_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f_) == sizeof h;
        ok = std::fclose(f_) == 0 && ok;
        f_ = nullptr;
        return ok;
    }
    uint64_t frames() const { return frames_; }

private:
    FILE* f_ = nullptr;
    uint64_t frames_ = 0;
};

bool ParseNumber(const char* s, double* out) {
    char* end = nullptr;
    *out = std::strtod(s, &end);
    return end && *end == 0 && end != s;
}

}  // namespace

int main(int argc, char** argv) {
    double tempo = 0, pitch = 0, rate = 1, engineType = 0, seek = -1, duration = -1;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        double* target = a == "--tempo"      ? &tempo
                         : a == "--pitch"    ? &pitch
                         : a == "--rate"     ? &rate
                         : a == "--engine"   ? &engineType
                         : a == "--seek"     ? &seek
                         : a == "--duration" ? &duration
                                             : nullptr;
        if (target) {
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], target)) {
                Usage();
                return 2;
            }
            ++i;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a.rfind("--", 0) == 0) {
            Usage();
            return 2;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        Usage();
        return 2;
    }

    auto& s = tav::Settings();
    s.playback.Tempo = static_cast<float>(tempo);
    s.playback.Pitch = static_cast<float>(pitch);
    s.playback.Rate = static_cast<float>(rate);
    s.advanced.TempoAlgorithm = static_cast<int>(engineType);
    tav::ClampAppSettings(s);

    EndWatcher watcher;
    tav::SetPoster(&watcher);
    if (!tav::StartAudioEngineWithoutOutput()) {
        std::fprintf(stderr, "tavrolune-render: the engine could not start\n");
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    if (!tav::OpenMedia(positional[0])) {
        tav::FreeAudioEngine();
        return 1;
    }
    if (seek >= 0) tav::GetTempoProcessor()->seek(seek);

    WavWriter wav;
    if (!wav.open(positional[1])) {
        std::fprintf(stderr, "tavrolune-render: cannot write %s\n", positional[1].c_str());
        tav::FreeAudioEngine();
        return 1;
    }
    const uint64_t limit = duration >= 0 ? static_cast<uint64_t>(duration * 44100 + 0.5) : UINT64_MAX;
    std::vector<float> buf(4096 * 2);
    bool writeOk = true;
    const tav::engine::Handle stream = tav::Session().playStream;
    while (!watcher.ended && wav.frames() < limit && writeOk) {
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(4096, limit - wav.frames()));
        const uint32_t got = tav::engine::RenderOutput(buf.data(), want);
        if (got > 0) writeOk = wav.write(buf.data(), got);
        if (got < want && !watcher.ended) {
            // A network stream waits for data; a finished stream reports its end.
            if (tav::engine::ChannelIsActive(stream) == tav::engine::kStopped &&
                tav::engine::ErrorGetCode() == tav::engine::kErrHandle)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    tav::FreeAudioEngine();
    tav::SetPoster(nullptr);
    if (!wav.close() || !writeOk) {
        std::fprintf(stderr, "tavrolune-render: cannot write %s\n", positional[1].c_str());
        return 1;
    }
    std::printf("frames written: %llu (%.3f s of audio)\nseconds taken: %.3f\n",
                static_cast<unsigned long long>(wav.frames()), static_cast<double>(wav.frames()) / 44100.0, took);
    return 0;
}
