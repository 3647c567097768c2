#pragma once
// One FFmpeg input decoded to interleaved floats at its own rate (DSD is
// brought down to 88.2 kHz). Not thread-safe: one owner drives it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;
struct AVDictionary;

namespace tav::engine::detail {

class FfmpegDecoder {
public:
    FfmpegDecoder() = default;
    ~FfmpegDecoder();
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    // url is a path or an http(s) address; options are consumed. Returns an
    // engine error code (kOk on success). The first audio is decoded here, so
    // a file that only looks like media is refused at once.
    int open(const std::string& url, AVDictionary** options, bool network);

    uint32_t rate() const { return rate_; }
    uint32_t chans() const { return chans_; }
    // Frames, -1 when unknown (a live stream).
    int64_t lengthFrames() const { return length_; }
    bool seekable() const { return seekable_; }
    // Frame index of the next frame take() returns.
    int64_t position() const { return pos_; }
    bool finished() const { return finished_ && pendingFrames() == 0; }
    // The FFmpeg error that ended decoding (0 at a clean end).
    int endError() const { return endError_; }

    // Moves up to frames decoded frames to out; decodes more as needed.
    // Returns the frames written; fewer than asked only at the end.
    uint32_t take(float* out, uint32_t frames);
    // Decodes one more chunk into the pending buffer; false at the end.
    bool decodeMore();
    size_t pendingFrames() const { return chans_ ? (pending_.size() - pendingOff_) / chans_ : 0; }

    // Exact: seeks before the target, then decodes and drops up to it.
    bool seek(int64_t frame);

    AVFormatContext* format() const { return fmt_; }
    int streamIndex() const { return stream_; }
    int bitrateKbps() const { return bitrate_; }
    bool vbr() const { return vbr_; }
    const std::string& formatName() const { return formatName_; }

    // Interruption (aborts blocking network reads) and an optional deadline.
    std::atomic<bool> abort{false};
    std::atomic<int64_t> deadlineUs{0};  // av_gettime_relative() value, 0 = none
    // Called after every packet read (network metadata checks).
    std::function<void()> onPacket;

private:
    bool convertFrame(AVFrame* frame);
    bool ensureSwr(AVFrame* frame);
    void close();

    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* dec_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVPacket* pkt_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    uint32_t rate_ = 0, chans_ = 0, inRate_ = 0;
    int64_t length_ = -1;
    bool seekable_ = false;
    bool finished_ = false;
    bool draining_ = false;
    int endError_ = 0;
    int64_t pos_ = 0;           // frame index of the first pending frame
    int64_t dropUntil_ = -1;    // after a seek: drop frames before this index
    bool needPts_ = false;      // after a seek: take the next frame's timestamp
    std::vector<float> pending_;
    size_t pendingOff_ = 0;
    int bitrate_ = 0;
    bool vbr_ = false;
    std::string formatName_;
    double startTime_ = 0.0;
    int consecutiveErrors_ = 0;
};

}  // namespace tav::engine::detail
