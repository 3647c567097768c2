#include "effects/EffectChain.h"

#include <atomic>

#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "storage/AppSettings.h"

namespace tav {

using namespace engine;

namespace {

constexpr int kVolumePriority = -2000000000;  // after every other effect

// What the volume callback reads on the mixing thread.
std::atomic<float> gVolume{1.0f};
std::atomic<bool> gMuted{false};

Handle gVolumeDsp = 0;
Handle gChainStream = 0;

// Squared gain: 50 % is a quarter of the amplitude, 400 % sixteen times.
void VolumeDsp(Handle, Handle, float* buffer, uint32_t bytes, void*) {
    const bool muted = gMuted.load(std::memory_order_relaxed);
    const float v = gVolume.load(std::memory_order_relaxed);
    if (!muted && v == 1.0f) return;  // untouched, bit for bit
    const float g = muted ? 0.0f : v * v;
    const uint32_t n = bytes / 4;
    for (uint32_t i = 0; i < n; ++i) buffer[i] *= g;
}

}  // namespace

void PublishVolume() {
    gVolume.store(Settings().playback.Volume, std::memory_order_relaxed);
    gMuted.store(Session().muted, std::memory_order_relaxed);
}

void BuildEffectChain() {
    const Handle s = Session().playStream;
    if (!s) return;
    if (gChainStream != s) gVolumeDsp = 0;  // handles belong to one stream
    gChainStream = s;
    PublishVolume();
    if (Settings().advanced.LegacyVolume) {
        const float v = Settings().playback.Volume;
        ChannelSetAttribute(s, kAttribVol, Session().muted ? 0.0f : v * v);
        return;
    }
    if (!gVolumeDsp) gVolumeDsp = ChannelSetDSP(s, VolumeDsp, nullptr, kVolumePriority);
}

void RemoveEffectChain() {
    if (gChainStream && gVolumeDsp) ChannelRemoveDSP(gChainStream, gVolumeDsp);
    gVolumeDsp = 0;
    gChainStream = 0;
}

}  // namespace tav
