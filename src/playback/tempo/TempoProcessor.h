#pragma once
// Tempo processors turn a decoding channel into the stream that is played,
// changing tempo and pitch. Three engines share this interface.
#include <memory>

#include "playback/engine/Engine.h"

namespace tav {

class TempoProcessor {
public:
    virtual ~TempoProcessor() = default;
    // Builds the playable stream; 0 on failure.
    virtual engine::Handle open(engine::Handle source, float sourceRate) = 0;
    // Frees the output stream and the engine state; can be opened again.
    virtual void close() = 0;
    virtual void setTempo(float percent) = 0;
    virtual void setPitch(float semitones) = 0;
    virtual void setRate(float factor) = 0;
    virtual float getTempo() const = 0;
    virtual float getPitch() const = 0;
    virtual float getRate() const = 0;
    virtual bool isActive() const = 0;
    virtual int getType() const = 0;  // 0 SoundTouch, 1 Speedy, 2 Signalsmith
    virtual double getLength() const = 0;
    virtual double getPosition() const = 0;
    virtual void seek(double seconds) = 0;
    virtual engine::Handle getSourceChannel() const = 0;

protected:
    engine::Handle source_ = 0;
    engine::Handle output_ = 0;
};

// Stores 0, 1 or 2; anything else stores 0.
void SetTempoEngineType(int type);
int GetTempoEngineType();
// The current processor, made of the stored type when there is none.
TempoProcessor* GetTempoProcessor();
// The current processor, or null; never creates one.
TempoProcessor* CurrentTempoProcessor();
void DestroyTempoProcessor();
std::unique_ptr<TempoProcessor> CreateTempoProcessor(int type);

}  // namespace tav
