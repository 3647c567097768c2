// The SoundTouch tempo stream over a decoding channel, and streams fed by a
// procedure. With tempo, pitch and rate neutral the tempo stream passes the
// source through untouched (unless click prevention asks to stay in the
// processor), so plain playback is bit-exact and has no added latency.
#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>

#include "playback/engine/Internal.h"

namespace tav::engine::detail {

namespace {

constexpr uint32_t kTempoBlock = 1024;

class TempoGenerator final : public Generator {
public:
    explicit TempoGenerator(std::shared_ptr<Channel> src) : src_(std::move(src)) {
        std::lock_guard l(src_->mutex);
        rate_ = src_->gen->rate();
        chans_ = src_->gen->chans();
        freq_ = static_cast<float>(rate_);
        segBase_ = src_->gen->positionFrames();
        st_.setSampleRate(rate_);
        st_.setChannels(chans_);
        tmp_.resize(static_cast<size_t>(kTempoBlock) * chans_);
        applyAll();
    }

    uint32_t rate() const override { return rate_; }
    uint32_t chans() const override { return chans_; }

    uint32_t read(float* out, uint32_t frames) override {
        if (bypass()) {
            uint32_t n = readSource(out, frames);
            if (n < frames && srcEnded_) ended_ = true;
            return n;
        }
        uint32_t done = 0;
        while (done < frames) {
            const uint32_t got = st_.receiveSamples(out + static_cast<size_t>(done) * chans_, frames - done);
            done += got;
            outFrames_ += got;
            if (done == frames) break;
            if (srcEnded_) {
                if (!flushed_) {
                    st_.flush();
                    flushed_ = true;
                    continue;
                }
                ended_ = true;
                break;
            }
            const uint32_t n = readSource(tmp_.data(), kTempoBlock);
            if (n > 0) st_.putSamples(tmp_.data(), n);
            if (n < kTempoBlock && !srcEnded_) break;  // the source stalls
        }
        return done;
    }

    bool ended() const override { return ended_; }

    int64_t lengthFrames() const override {
        std::lock_guard l(src_->mutex);
        return src_->gen->lengthFrames();
    }

    int64_t positionFrames() const override {
        std::lock_guard l(src_->mutex);
        const int64_t srcPos = src_->gen->positionFrames();
        if (bypass()) return srcPos;
        int64_t p = segBase_ + static_cast<int64_t>(static_cast<double>(outFrames_) * ratio());
        p = std::min(p, srcPos);
        const int64_t len = src_->gen->lengthFrames();
        if (len >= 0) p = std::min(p, len);
        return std::max<int64_t>(p, 0);
    }

    bool seekFrames(int64_t frame) override {
        {
            std::lock_guard l(src_->mutex);
            if (!src_->gen->seekFrames(frame)) return false;
            segBase_ = src_->gen->positionFrames();
        }
        restart();
        return true;
    }

    int bitrateKbps() const override {
        std::lock_guard l(src_->mutex);
        return src_->gen->bitrateKbps();
    }
    bool vbr() const override {
        std::lock_guard l(src_->mutex);
        return src_->gen->vbr();
    }
    Channel* upstream() const override { return src_.get(); }

    bool setAttribute(uint32_t a, float v) override {
        const bool wasBypass = bypass();
        const int64_t pos = positionFrames();
        switch (a) {
            case kAttribTempo: tempo_ = std::clamp(v, -95.0f, 5000.0f); break;
            case kAttribTempoPitch: pitch_ = std::clamp(v, -60.0f, 60.0f); break;
            case kAttribTempoFreq:
                if (v < rate_ * 0.05f || v > rate_ * 20.0f) return false;
                freq_ = v;
                break;
            case kAttribTempoUseAAFilter: aaFilter_ = v != 0; break;
            case kAttribTempoAAFilterLength: aaLength_ = std::clamp(static_cast<int>(v), 8, 128); break;
            case kAttribTempoUseQuickAlgo: quick_ = v != 0; break;
            case kAttribTempoSequenceMs: sequenceMs_ = std::clamp(static_cast<int>(v), 0, 200); break;
            case kAttribTempoSeekWindowMs: seekWindowMs_ = std::clamp(static_cast<int>(v), 0, 100); break;
            case kAttribTempoOverlapMs: overlapMs_ = std::clamp(static_cast<int>(v), 0, 50); break;
            case kAttribTempoPreventClick: preventClick_ = v != 0; break;
            default: return false;
        }
        applyAll();
        // The new speed counts from what has been produced so far.
        segBase_ = pos;
        outFrames_ = 0;
        if (wasBypass != bypass()) {
            // Leaving or entering the processor: continue exactly where the
            // output is, so nothing is skipped or repeated.
            {
                std::lock_guard l(src_->mutex);
                if (src_->gen->positionFrames() != pos) src_->gen->seekFrames(pos);
                segBase_ = src_->gen->positionFrames();
            }
            restart();
        }
        return true;
    }

    bool getAttribute(uint32_t a, float* v) const override {
        switch (a) {
            case kAttribTempo: *v = tempo_; return true;
            case kAttribTempoPitch: *v = pitch_; return true;
            case kAttribTempoFreq: *v = freq_; return true;
            case kAttribTempoUseAAFilter: *v = aaFilter_ ? 1.f : 0.f; return true;
            case kAttribTempoAAFilterLength: *v = static_cast<float>(aaLength_); return true;
            case kAttribTempoUseQuickAlgo: *v = quick_ ? 1.f : 0.f; return true;
            case kAttribTempoSequenceMs: *v = static_cast<float>(sequenceMs_); return true;
            case kAttribTempoSeekWindowMs: *v = static_cast<float>(seekWindowMs_); return true;
            case kAttribTempoOverlapMs: *v = static_cast<float>(overlapMs_); return true;
            case kAttribTempoPreventClick: *v = preventClick_ ? 1.f : 0.f; return true;
            default: return false;
        }
    }

private:
    bool bypass() const { return tempo_ == 0 && pitch_ == 0 && freq_ == static_cast<float>(rate_) && !preventClick_; }
    double ratio() const { return (1.0 + tempo_ / 100.0) * (freq_ / static_cast<double>(rate_)); }

    uint32_t readSource(float* dst, uint32_t n) {
        std::lock_guard l(src_->mutex);
        const uint32_t got = src_->readProcessed(dst, n);
        srcEnded_ = got < n && src_->gen->ended();
        return got;
    }

    void restart() {
        st_.clear();
        outFrames_ = 0;
        srcEnded_ = flushed_ = ended_ = false;
    }

    void applyAll() {
        st_.setSetting(SETTING_USE_AA_FILTER, aaFilter_ ? 1 : 0);
        st_.setSetting(SETTING_AA_FILTER_LENGTH, aaLength_);
        st_.setSetting(SETTING_USE_QUICKSEEK, quick_ ? 1 : 0);
        st_.setSetting(SETTING_SEQUENCE_MS, sequenceMs_);
        st_.setSetting(SETTING_SEEKWINDOW_MS, seekWindowMs_);
        st_.setSetting(SETTING_OVERLAP_MS, overlapMs_);
        st_.setTempo(std::max(0.05, 1.0 + tempo_ / 100.0));
        st_.setPitchSemiTones(pitch_);
        st_.setRate(freq_ / static_cast<double>(rate_));
    }

    std::shared_ptr<Channel> src_;
    soundtouch::SoundTouch st_;
    std::vector<float> tmp_;
    uint32_t rate_ = 44100, chans_ = 2;
    float tempo_ = 0, pitch_ = 0, freq_ = 44100;
    bool aaFilter_ = true, quick_ = false, preventClick_ = false;
    int aaLength_ = 32, sequenceMs_ = 82, seekWindowMs_ = 28, overlapMs_ = 8;
    int64_t segBase_ = 0;
    uint64_t outFrames_ = 0;
    bool srcEnded_ = false, flushed_ = false, ended_ = false;
};

class ProcGenerator final : public Generator {
public:
    ProcGenerator(Channel* owner, uint32_t freq, uint32_t chans, StreamProc proc, void* user)
        : owner_(owner), rate_(freq), chans_(chans), proc_(proc), user_(user) {}

    uint32_t rate() const override { return rate_; }
    uint32_t chans() const override { return chans_; }
    uint32_t read(float* out, uint32_t frames) override {
        if (ended_ || frames == 0) return 0;
        const uint32_t r = proc_(owner_->handle, out, frames * chans_ * 4, user_);
        const uint32_t n = std::min((r & ~kStreamProcEnd) / (chans_ * 4), frames);
        if (r & kStreamProcEnd) ended_ = true;
        pos_ += n;
        return n;
    }
    bool ended() const override { return ended_; }
    int64_t positionFrames() const override { return pos_; }
    // The procedure's owner repositions its own source; this only restarts
    // the count and clears the buffer (which the caller flushes).
    bool seekFrames(int64_t frame) override {
        pos_ = frame;
        ended_ = false;
        return true;
    }

private:
    Channel* owner_;
    uint32_t rate_, chans_;
    StreamProc proc_;
    void* user_;
    int64_t pos_ = 0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Generator> MakeTempoGenerator(std::shared_ptr<Channel> source) {
    return std::make_unique<TempoGenerator>(std::move(source));
}

std::unique_ptr<Generator> MakeProcGenerator(Channel* owner, uint32_t freq, uint32_t chans, StreamProc proc,
                                             void* user) {
    return std::make_unique<ProcGenerator>(owner, freq, chans, proc, user);
}

}  // namespace tav::engine::detail
