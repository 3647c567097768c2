// The output: SDL2 device, the update thread that keeps every playing
// stream's buffer filled, and the mixer that the audio callback runs. The
// callback takes no lock, allocates nothing and does no I/O: it only copies
// from the streams' rings.
#include <SDL2/SDL.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/Log.h"
#include "playback/engine/Internal.h"

namespace tav::engine {

using namespace detail;

namespace {

constexpr size_t kMaxActive = 64;
constexpr uint32_t kBlockFrames = 1024;

struct Output {
    std::mutex api;  // init state and the playing list
    bool inited = false;
    bool offline = false;
    bool sdlAudio = false;
    bool dummy = false;
    int device = -1;
    uint32_t freq = 44100;
    SDL_AudioDeviceID dev = 0;

    std::vector<std::shared_ptr<Channel>> playing;  // owners, for the update thread

    // Read by the audio callback; changed only under the mix lock.
    std::array<Channel*, kMaxActive> active{};
    size_t activeCount = 0;
    std::mutex offlineMix;

    std::thread updater;
    std::mutex updMutex;
    std::condition_variable updCv;
    bool stopUpdater = false;
};

Output& O() {
    static Output o;
    return o;
}

void LockMix() {
    if (O().dev)
        SDL_LockAudioDevice(O().dev);
    else
        O().offlineMix.lock();
}
void UnlockMix() {
    if (O().dev)
        SDL_UnlockAudioDevice(O().dev);
    else
        O().offlineMix.unlock();
}

float Gain(float v) {
    if (v <= 0) return 0.0f;
    if (Cfg().volumeCurveLog) return std::pow(10.0f, (v - 1.0f) * 5.0f);  // 0 ... 1 spans 100 dB
    return v;
}

// Mixes every playing stream into out (stereo frames). Audio callback context.
// Returns the most frames any stream delivered.
uint32_t Mix(float* out, uint32_t frames) {
    Output& o = O();
    std::memset(out, 0, sizeof(float) * 2 * frames);
    bool wake = false;
    uint64_t most = 0;
    for (size_t i = 0; i < o.activeCount; ++i) {
        Channel* ch = o.active[i];
        Playback& p = *ch->play;
        if (p.state.load(std::memory_order_acquire) != kPlaying) continue;
        const uint64_t r = p.readTotal.load(std::memory_order_relaxed);
        const uint64_t w = p.writeTotal.load(std::memory_order_acquire);
        const uint64_t n = std::min<uint64_t>(w - r, frames);
        const float g = Gain(ch->volume.load(std::memory_order_relaxed));
        // At most two runs: up to the end of the ring, then from its start.
        const uint64_t at = r % p.capacity;
        const uint64_t first = std::min(n, p.capacity - at);
        const float* a = &p.ring[static_cast<size_t>(at * 2)];
        for (uint64_t k = 0; k < first * 2; ++k) out[k] += a[k] * g;
        const float* b = p.ring.data();
        for (uint64_t k = 0; k < (n - first) * 2; ++k) out[first * 2 + k] += b[k] * g;
        p.readTotal.store(r + n, std::memory_order_release);
        most = std::max(most, n);
        if (n < frames) {
            if (r + n >= p.endAt.load(std::memory_order_acquire)) {
                p.state.store(kStopped, std::memory_order_release);
                p.endHeard.store(true, std::memory_order_release);
                wake = true;
            } else {
                p.stalled.store(true, std::memory_order_relaxed);
            }
        } else {
            p.stalled.store(false, std::memory_order_relaxed);
        }
    }
    if (wake) o.updCv.notify_one();
    return static_cast<uint32_t>(most);
}

void AudioCallback(void*, Uint8* stream, int len) {
    Mix(reinterpret_cast<float*>(stream), static_cast<uint32_t>(len) / 8);
}

void WriteRing(Playback& p, const float* stereo, uint64_t frames) {
    uint64_t w = p.writeTotal.load(std::memory_order_relaxed);
    for (uint64_t done = 0; done < frames;) {
        const uint64_t at = w % p.capacity;
        const uint64_t chunk = std::min(frames - done, p.capacity - at);
        std::memcpy(&p.ring[static_cast<size_t>(at * 2)], stereo + done * 2, static_cast<size_t>(chunk * 2 * sizeof(float)));
        done += chunk;
        w += chunk;
    }
    p.writeTotal.store(w, std::memory_order_release);
}

void PushMarker(Playback& p, int64_t genPos) {
    if (p.markerCount == Playback::kMarkers) {
        p.base = p.markers[p.markerHead];
        p.markerHead = (p.markerHead + 1) % Playback::kMarkers;
        --p.markerCount;
    }
    p.markers[(p.markerHead + p.markerCount) % Playback::kMarkers] = {p.writeTotal.load(), genPos};
    ++p.markerCount;
}

bool EnsureSwr(Playback& p, uint32_t inRate, uint32_t chans, uint32_t outRate) {
    if (p.swr && p.swrInRate == inRate && p.swrInChans == chans) return true;
    swr_free(&p.swr);
    AVChannelLayout in{}, outL{};
    av_channel_layout_default(&in, chans == 1 ? 1 : static_cast<int>(chans));
    // Mono is resampled as mono and then doubled, so it plays at full level on both sides.
    av_channel_layout_default(&outL, chans == 1 ? 1 : 2);
    if (swr_alloc_set_opts2(&p.swr, &outL, AV_SAMPLE_FMT_FLT, static_cast<int>(outRate), &in, AV_SAMPLE_FMT_FLT,
                            static_cast<int>(inRate), 0, nullptr) < 0 ||
        swr_init(p.swr) < 0) {
        swr_free(&p.swr);
        return false;
    }
    p.swrInRate = inRate;
    p.swrInChans = chans;
    return true;
}

// Converts n input frames (chans at inRate; n = 0 drains the resampler) to
// stereo at the output rate and writes them to the ring.
void Convert(Playback& p, const float* in, uint32_t n, uint32_t inRate, uint32_t chans) {
    const uint32_t outRate = O().freq;
    if (inRate == outRate && chans <= 2 && !p.swr) {
        if (n == 0) return;
        if (chans == 2) {
            WriteRing(p, in, n);
        } else {
            p.outBuf.resize(static_cast<size_t>(n) * 2);
            for (uint32_t i = 0; i < n; ++i) p.outBuf[2 * i] = p.outBuf[2 * i + 1] = in[i];
            WriteRing(p, p.outBuf.data(), n);
        }
        return;
    }
    if (n > 0 && inRate == outRate && chans <= 2 && p.swr) {
        // Back to the native rate: drain what the resampler holds, then go direct.
        Convert(p, nullptr, 0, p.swrInRate, p.swrInChans);
        swr_free(&p.swr);
        Convert(p, in, n, inRate, chans);
        return;
    }
    if (!p.swr && n == 0) return;
    if (n > 0 && !EnsureSwr(p, inRate, chans, outRate)) return;
    const uint32_t swrOutChans = p.swrInChans == 1 ? 1 : 2;
    const int cap = static_cast<int>(static_cast<uint64_t>(n) * outRate / std::max(1u, p.swrInRate) + 512);
    std::vector<float>& tmp = p.outBuf;
    tmp.resize(static_cast<size_t>(cap) * 2);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(tmp.data())};
    const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(in)};
    const int got = swr_convert(p.swr, outPlanes, cap, n ? inPlanes : nullptr, static_cast<int>(n));
    if (got <= 0) return;
    if (swrOutChans == 1) {
        for (int i = got - 1; i >= 0; --i) tmp[static_cast<size_t>(2 * i)] = tmp[static_cast<size_t>(2 * i + 1)] = tmp[static_cast<size_t>(i)];
    }
    WriteRing(p, tmp.data(), static_cast<uint64_t>(got));
}

uint64_t TargetFrames(const Channel& ch) {
    int ms = Cfg().bufferMs;
    if (ch.bufferAttr >= 0) ms = std::min(ms, static_cast<int>(ch.bufferAttr * 1000));
    ms = std::max(ms, 20);
    return std::min<uint64_t>(static_cast<uint64_t>(ms) * O().freq / 1000, ch.play->capacity - 4096);
}

void FillTo(Channel& ch, uint64_t target) {
    Playback& p = *ch.play;
    if (p.genEnded) return;
    const uint32_t chans = ch.gen->chans();
    if (p.markerCount == 0 && p.writeTotal == p.readTotal) p.base = {p.writeTotal.load(), ch.gen->positionFrames()};
    for (;;) {
        const uint64_t buffered = p.writeTotal - p.readTotal;
        if (buffered >= target) break;
        const uint32_t inRate = ch.playRate();
        const uint64_t room = target - buffered;
        const uint32_t want = static_cast<uint32_t>(std::clamp<uint64_t>(room * inRate / O().freq, 1, kBlockFrames));
        p.inBuf.resize(static_cast<size_t>(want) * chans);
        const uint32_t n = ch.readProcessed(p.inBuf.data(), want);
        if (n > 0) {
            Convert(p, p.inBuf.data(), n, inRate, chans);
            PushMarker(p, ch.gen->positionFrames());
        }
        if (n < want) {
            if (ch.gen->ended()) {
                Convert(p, nullptr, 0, inRate, chans);
                if (p.markerCount) p.markers[(p.markerHead + p.markerCount - 1) % Playback::kMarkers].ringEnd = p.writeTotal;
                p.genEnded = true;
                p.endAt = p.writeTotal.load();
            }
            break;
        }
    }
}

// Keeps one stream's buffer filled and runs its due syncs. Engine thread.
void Service(const std::shared_ptr<Channel>& ch, uint64_t minFrames) {
    if (ch->freed) return;
    bool metaOwn = false, metaUp = false;
    Channel* up = nullptr;
    int64_t heard = 0;
    {
        std::lock_guard l(ch->mutex);
        if (ch->play->state == kPlaying) FillTo(*ch, std::max(TargetFrames(*ch), minFrames));
        heard = OutputHeardPosition(*ch);
        metaOwn = ch->gen->heardUpTo(heard);
        up = ch->gen->upstream();
    }
    if (up) {
        std::lock_guard l(up->mutex);
        metaUp = up->gen->heardUpTo(heard);
    }
    if (metaOwn) ch->fireSyncs(kSyncMeta, 0);
    if (metaUp && up && !up->freed) up->fireSyncs(kSyncMeta, 0);
    if (ch->play->endHeard.exchange(false)) ch->fireSyncs(kSyncEnd, 0);
}

std::vector<std::shared_ptr<Channel>> Playing() {
    std::lock_guard l(O().api);
    return O().playing;
}

void UpdaterLoop() {
    Output& o = O();
    for (;;) {
        {
            std::unique_lock l(o.updMutex);
            o.updCv.wait_for(l, std::chrono::milliseconds(Cfg().updatePeriodMs.load()));
            if (o.stopUpdater) return;
        }
        for (auto& ch : Playing()) Service(ch, 0);
    }
}

bool OpenSdl(int device) {
    Output& o = O();
    if (!o.sdlAudio) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        o.sdlAudio = true;
    }
    const char* name = nullptr;
    if (device >= 1) {
        const int n = SDL_GetNumAudioDevices(0);
        if (n > 0) {
            if (device > n) return false;
            name = SDL_GetAudioDeviceName(device - 1, 0);
        } else if (device != 1) {
            return false;
        }
    }
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(o.freq);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    o.dev = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    return o.dev != 0;
}

void CloseSdl() {
    Output& o = O();
    if (o.dev) SDL_CloseAudioDevice(o.dev);
    o.dev = 0;
    if (o.sdlAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    o.sdlAudio = false;
}

}  // namespace

namespace detail {

Playback::~Playback() { swr_free(&swr); }

bool OutputInitialized() {
    std::lock_guard l(O().api);
    return O().inited;
}

uint32_t OutputRate() { return O().freq; }

Playback* NewPlayback() {
    auto* p = new Playback();
    // Room for the longest buffer the settings allow (URL streams ask for a
    // second) plus slack for the resampler.
    const int ms = std::max(Cfg().bufferMs.load(), 1000);
    p->capacity = static_cast<uint64_t>(ms) * O().freq / 1000 + 8192;
    p->ring.assign(static_cast<size_t>(p->capacity * 2), 0.0f);
    return p;
}

bool OutputStart(const std::shared_ptr<Channel>& ch) {
    {
        std::lock_guard l(ch->mutex);
        FillTo(*ch, TargetFrames(*ch));
    }
    Output& o = O();
    {
        std::lock_guard l(o.api);
        if (!o.inited) return Fail(kErrInit, false);
        if (std::find(o.playing.begin(), o.playing.end(), ch) == o.playing.end()) {
            if (o.playing.size() >= kMaxActive) return Fail(kErrMem, false);
            o.playing.push_back(ch);
        }
        LockMix();
        if (std::find(o.active.begin(), o.active.begin() + static_cast<long>(o.activeCount), ch.get()) ==
            o.active.begin() + static_cast<long>(o.activeCount))
            o.active[o.activeCount++] = ch.get();
        ch->play->stalled = false;
        ch->play->state = kPlaying;
        UnlockMix();
    }
    WakeUpdater();
    return true;
}

void OutputRemove(Channel* ch) {
    Output& o = O();
    std::shared_ptr<Channel> keep;  // released after the locks
    std::lock_guard l(o.api);
    auto it = std::find_if(o.playing.begin(), o.playing.end(), [&](auto& c) { return c.get() == ch; });
    if (it != o.playing.end()) {
        keep = *it;
        o.playing.erase(it);
    }
    if (!o.inited) return;
    LockMix();
    for (size_t i = 0; i < o.activeCount; ++i)
        if (o.active[i] == ch) {
            o.active[i] = o.active[--o.activeCount];
            break;
        }
    ch->play->state = kStopped;
    UnlockMix();
}

void OutputFlush(Channel& ch, int64_t newPos) {
    Playback& p = *ch.play;
    LockMix();
    p.readTotal.store(p.writeTotal.load());
    UnlockMix();
    p.endAt = UINT64_MAX;
    p.endHeard = false;
    p.genEnded = false;
    p.stalled = false;
    p.markerCount = 0;
    p.markerHead = 0;
    p.base = {p.writeTotal.load(), newPos};
    swr_free(&p.swr);
}

void OutputFill(Channel& ch) { FillTo(ch, TargetFrames(ch)); }

int64_t OutputHeardPosition(Channel& ch) {
    Playback& p = *ch.play;
    const uint64_t r = p.readTotal.load(std::memory_order_acquire);
    while (p.markerCount > 0 && p.markers[p.markerHead].ringEnd <= r) {
        p.base = p.markers[p.markerHead];
        p.markerHead = (p.markerHead + 1) % Playback::kMarkers;
        --p.markerCount;
    }
    if (p.markerCount == 0 || r <= p.base.ringEnd) return p.base.genPos;
    const auto& m = p.markers[p.markerHead];
    const double frac = static_cast<double>(r - p.base.ringEnd) / static_cast<double>(m.ringEnd - p.base.ringEnd);
    return p.base.genPos + static_cast<int64_t>(frac * static_cast<double>(m.genPos - p.base.genPos));
}

void WakeUpdater() { O().updCv.notify_one(); }

}  // namespace detail

bool GetDeviceInfo(int index, DeviceInfo* info) {
    if (!info || index < 0) return Fail(kErrDevice, false);
    Output& o = O();
    std::lock_guard l(o.api);
    if (index == 0) {
        *info = {"No sound", "", true, false, o.inited && o.offline};
        SetError(kOk);
        return true;
    }
    if (!o.sdlAudio) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(kErrDevice, false);
        o.sdlAudio = true;
    }
    const int n = SDL_GetNumAudioDevices(0);
    std::string name;
    if (n > 0) {
        if (index > n) return Fail(kErrDevice, false);
        const char* nm = SDL_GetAudioDeviceName(index - 1, 0);
        name = nm ? nm : "";
    } else {
        // Some drivers list nothing but open their default device.
        if (index > 1) return Fail(kErrDevice, false);
        name = "Default";
    }
    char* defName = nullptr;
    SDL_AudioSpec spec;
    bool isDefault = n <= 0 || index == 1;
    if (n > 0 && SDL_GetDefaultAudioInfo(&defName, &spec, 0) == 0 && defName) {
        isDefault = name == defName;
        SDL_free(defName);
    }
    const char* drv = SDL_GetCurrentAudioDriver();
    *info = {name, drv ? drv : "", true, isDefault, o.inited && !o.offline && o.device == index};
    SetError(kOk);
    return true;
}

bool Init(int device, int freq) {
    Output& o = O();
    std::lock_guard l(o.api);
    if (o.inited) return Fail(kErrAlready, false);
    if (freq < 8000 || freq > 384000) return Fail(kErrFormat, false);
    o.freq = static_cast<uint32_t>(freq);
    o.dummy = false;
    if (device == 0) {
        o.offline = true;
    } else {
        o.offline = false;
        if (!OpenSdl(device)) {
            const char* forced = std::getenv("SDL_AUDIODRIVER");
            const bool canFallBack = device == -1 && !(forced && *forced);
            CloseSdl();
            if (!canFallBack) return Fail(device == -1 ? kErrInit : kErrDevice, false);
            // No sound device at all: keep the program usable, silently.
            if (SDL_AudioInit("dummy") != 0) return Fail(kErrInit, false);
            o.sdlAudio = true;
            if (!OpenSdl(-1)) {
                CloseSdl();
                return Fail(kErrInit, false);
            }
            o.dummy = true;
            WriteLog("AUDIO", "No sound device could be opened; using the silent dummy output");
        }
        o.stopUpdater = false;
        o.updater = std::thread(UpdaterLoop);
        SDL_PauseAudioDevice(o.dev, 0);
    }
    o.device = device;
    o.inited = true;
    SetError(kOk);
    return true;
}

bool Free() {
    Output& o = O();
    {
        std::lock_guard l(o.api);
        if (!o.inited) return Fail(kErrInit, false);
    }
    for (auto& ch : AllChannels()) StreamFree(ch->handle);
    {
        std::lock_guard l(o.updMutex);
        o.stopUpdater = true;
    }
    o.updCv.notify_all();
    if (o.updater.joinable()) o.updater.join();
    std::lock_guard l(o.api);
    if (o.dev) SDL_PauseAudioDevice(o.dev, 1);
    CloseSdl();
    o.activeCount = 0;
    o.playing.clear();
    o.inited = false;
    o.offline = false;
    o.device = -1;
    SetError(kOk);
    return true;
}

int GetDevice() {
    std::lock_guard l(O().api);
    if (!O().inited) return Fail(kErrInit, -1);
    SetError(kOk);
    return O().device;
}

bool UsingDummyDriver() {
    std::lock_guard l(O().api);
    return O().inited && O().dummy;
}

uint32_t RenderOutput(float* out, uint32_t frames) {
    {
        std::lock_guard l(O().api);
        if (!O().inited || !O().offline) return Fail(kErrNotAvail, 0u);
    }
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t chunk = std::min<uint32_t>(frames - done, 4096);
        auto list = Playing();
        for (auto& ch : list) {
            std::lock_guard l(ch->mutex);
            if (ch->play->state == kPlaying) FillTo(*ch, std::max<uint64_t>(TargetFrames(*ch), chunk));
        }
        LockMix();
        const uint32_t got = Mix(out + static_cast<size_t>(done) * 2, chunk);
        UnlockMix();
        for (auto& ch : list) Service(ch, 0);
        done += got;
        if (got < chunk) break;  // ended or stalled: the rest is not audio
    }
    SetError(kOk);
    return done;
}

}  // namespace tav::engine
