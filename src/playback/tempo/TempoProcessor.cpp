#include "playback/tempo/TempoProcessor.h"

#include "playback/tempo/SoundTouchProcessor.h"

namespace tav {

namespace {
std::unique_ptr<TempoProcessor> gCurrent;
int gType = 0;
}  // namespace

void SetTempoEngineType(int type) { gType = (type >= 0 && type <= 2) ? type : 0; }
int GetTempoEngineType() { return gType; }

std::unique_ptr<TempoProcessor> CreateTempoProcessor(int type) {
    // The Speedy and Signalsmith engines are not built yet: every type gets
    // the SoundTouch engine, which reports type 0.
    (void)type;
    return std::make_unique<SoundTouchProcessor>();
}

TempoProcessor* GetTempoProcessor() {
    if (!gCurrent) gCurrent = CreateTempoProcessor(gType);
    return gCurrent.get();
}

TempoProcessor* CurrentTempoProcessor() { return gCurrent.get(); }

void DestroyTempoProcessor() {
    if (!gCurrent) return;
    gCurrent->close();
    gCurrent.reset();
}

}  // namespace tav
