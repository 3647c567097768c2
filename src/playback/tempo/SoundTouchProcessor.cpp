#include "playback/tempo/SoundTouchProcessor.h"

#include "storage/AppSettings.h"

namespace tav {

using namespace engine;

SoundTouchProcessor::~SoundTouchProcessor() { close(); }

Handle SoundTouchProcessor::open(Handle source, float sourceRate) {
    close();
    source_ = source;
    sourceRate_ = sourceRate;
    output_ = TempoCreate(source, kSampleFloat | kFxFreeSource);
    if (!output_) return 0;
    const auto& st = Settings().soundTouch;
    ChannelSetAttribute(output_, kAttribTempoUseAAFilter, st.AntiAliasFilter ? 1.0f : 0.0f);
    ChannelSetAttribute(output_, kAttribTempoAAFilterLength, static_cast<float>(st.AAFilterLength));
    ChannelSetAttribute(output_, kAttribTempoUseQuickAlgo, st.QuickAlgorithm ? 1.0f : 0.0f);
    ChannelSetAttribute(output_, kAttribTempoSequenceMs, static_cast<float>(st.SequenceMs));
    ChannelSetAttribute(output_, kAttribTempoSeekWindowMs, static_cast<float>(st.SeekWindowMs));
    ChannelSetAttribute(output_, kAttribTempoOverlapMs, static_cast<float>(st.OverlapMs));
    ChannelSetAttribute(output_, kAttribTempoPreventClick, st.PreventClick ? 1.0f : 0.0f);
    ChannelSetAttribute(output_, kAttribTempo, tempo_);
    ChannelSetAttribute(output_, kAttribTempoPitch, pitch_);
    ChannelSetAttribute(output_, kAttribTempoFreq, rate_ * sourceRate_);
    return output_;
}

void SoundTouchProcessor::close() {
    if (output_) StreamFree(output_);  // frees the source with it
    output_ = 0;
    source_ = 0;
}

void SoundTouchProcessor::setTempo(float percent) {
    tempo_ = percent;
    if (output_) ChannelSetAttribute(output_, kAttribTempo, tempo_);
}

void SoundTouchProcessor::setPitch(float semitones) {
    pitch_ = semitones;
    if (output_) ChannelSetAttribute(output_, kAttribTempoPitch, pitch_);
}

void SoundTouchProcessor::setRate(float factor) {
    rate_ = factor;
    if (output_) ChannelSetAttribute(output_, kAttribTempoFreq, rate_ * sourceRate_);
}

double SoundTouchProcessor::getLength() const {
    if (!output_) return 0.0;
    const int64_t b = ChannelGetLength(output_);
    return b < 0 ? 0.0 : ChannelBytes2Seconds(output_, b);
}

double SoundTouchProcessor::getPosition() const {
    if (!output_) return 0.0;
    const int64_t b = ChannelGetPosition(output_);
    return b < 0 ? 0.0 : ChannelBytes2Seconds(output_, b);
}

void SoundTouchProcessor::seek(double seconds) {
    if (!output_) return;
    ChannelSetPosition(output_, ChannelSeconds2Bytes(output_, seconds < 0 ? 0 : seconds), kPosFlush);
}

}  // namespace tav
