#pragma once
#include "playback/tempo/TempoProcessor.h"

namespace tav {

// The engine's SoundTouch tempo stream; its output frees the source with itself.
class SoundTouchProcessor final : public TempoProcessor {
public:
    ~SoundTouchProcessor() override;
    engine::Handle open(engine::Handle source, float sourceRate) override;
    void close() override;
    void setTempo(float percent) override;
    void setPitch(float semitones) override;
    void setRate(float factor) override;
    float getTempo() const override { return tempo_; }
    float getPitch() const override { return pitch_; }
    float getRate() const override { return rate_; }
    bool isActive() const override { return output_ != 0; }
    int getType() const override { return 0; }
    double getLength() const override;
    double getPosition() const override;
    void seek(double seconds) override;
    engine::Handle getSourceChannel() const override { return source_; }

private:
    float sourceRate_ = 44100.0f;
    float tempo_ = 0.0f;
    float pitch_ = 0.0f;
    float rate_ = 1.0f;
};

}  // namespace tav
