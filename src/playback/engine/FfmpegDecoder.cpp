#include "playback/engine/FfmpegDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
#include <libswresample/swresample.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "playback/engine/Internal.h"

namespace tav::engine::detail {

namespace {

constexpr uint32_t kMaxNativeRate = 192000;
constexpr uint32_t kDsdRate = 88200;
// A stream that keeps failing to decode is over, not a busy loop.
constexpr int kMaxConsecutiveErrors = 200;
constexpr double kSeekPreroll = 0.15;  // seconds

int Interrupt(void* opaque) {
    auto* d = static_cast<FfmpegDecoder*>(opaque);
    if (d->abort.load()) return 1;
    const int64_t dl = d->deadlineUs.load();
    return dl != 0 && av_gettime_relative() > dl;
}

bool IsVbrCodec(AVCodecID id) {
    switch (id) {
        case AV_CODEC_ID_VORBIS:
        case AV_CODEC_ID_OPUS:
        case AV_CODEC_ID_FLAC:
        case AV_CODEC_ID_ALAC:
        case AV_CODEC_ID_WAVPACK:
        case AV_CODEC_ID_APE:
        case AV_CODEC_ID_TTA:
        case AV_CODEC_ID_TAK: return true;
        default: return false;
    }
}

// An MP3 with a Xing or VBRI header in its first frame is variable-rate
// ("Info" is the constant-rate form of the Xing header).
bool Mp3HasVbrHeader(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char head[10];
    long start = 0;
    if (std::fread(head, 1, 10, f) == 10 && std::memcmp(head, "ID3", 3) == 0)
        start = 10 + ((head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 | (head[8] & 0x7f) << 7 | (head[9] & 0x7f));
    std::vector<char> buf(4096);
    std::fseek(f, start, SEEK_SET);
    const size_t n = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    const std::string s(buf.data(), n);
    return s.find("Xing") != std::string::npos || s.find("VBRI") != std::string::npos;
}

}  // namespace

int MapAvError(int e, bool url) {
    if (e == AVERROR(ENOMEM)) return kErrMem;
    if (e == AVERROR_DECODER_NOT_FOUND) return kErrCodec;
    if (e == AVERROR_INVALIDDATA || e == AVERROR_DEMUXER_NOT_FOUND || e == AVERROR_STREAM_NOT_FOUND ||
        e == AVERROR_PATCHWELCOME)
        return kErrFileForm;
    if (e == AVERROR(ETIMEDOUT) || e == AVERROR_EXIT) return url ? kErrTimeout : kErrUnknown;
    if (url) {
        if (e == AVERROR(ECONNREFUSED) || e == AVERROR(EHOSTUNREACH) || e == AVERROR(ECONNRESET) ||
            e == AVERROR(EIO) || e == AVERROR_HTTP_BAD_REQUEST || e == AVERROR_HTTP_UNAUTHORIZED ||
            e == AVERROR_HTTP_FORBIDDEN || e == AVERROR_HTTP_NOT_FOUND || e == AVERROR_HTTP_OTHER_4XX ||
            e == AVERROR_HTTP_SERVER_ERROR || e == AVERROR(EPIPE))
            return kErrFileOpen;
        if (e == AVERROR(ENETUNREACH) || e == AVERROR(ENETDOWN)) return kErrNoNet;
        return kErrUnknown;
    }
    if (e == AVERROR(ENOENT) || e == AVERROR(EACCES) || e == AVERROR(EISDIR) || e == AVERROR(ENOTDIR) ||
        e == AVERROR(EPERM))
        return kErrFileOpen;
    return kErrUnknown;
}

FfmpegDecoder::~FfmpegDecoder() { close(); }

void FfmpegDecoder::close() {
    swr_free(&swr_);
    avcodec_free_context(&dec_);
    if (fmt_) avformat_close_input(&fmt_);
    av_packet_free(&pkt_);
    av_frame_free(&frame_);
}

int FfmpegDecoder::open(const std::string& url, AVDictionary** options, bool network) {
    // FFmpeg's own chatter (probing scores, stream guesses) is not for the
    // user; TAVROLUNE_FFMPEG_LOG brings it back for debugging.
    static const bool quiet = [] {
        if (!std::getenv("TAVROLUNE_FFMPEG_LOG")) av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    if (!network) {
        struct stat st;
        if (stat(url.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrFileOpen;
    }
    fmt_ = avformat_alloc_context();
    if (!fmt_) return kErrMem;
    fmt_->interrupt_callback = {Interrupt, this};
    if (network) {
        fmt_->probesize = 256 * 1024;
        fmt_->max_analyze_duration = 3 * AV_TIME_BASE;
    }
    int e = avformat_open_input(&fmt_, url.c_str(), nullptr, options);
    if (e < 0) {
        fmt_ = nullptr;  // freed by avformat_open_input on failure
        return MapAvError(e, network);
    }
    e = avformat_find_stream_info(fmt_, nullptr);
    if (e < 0) return MapAvError(e, network);
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ == AVERROR_DECODER_NOT_FOUND) return kErrCodec;
    if (stream_ < 0) return kErrFileForm;
    AVStream* st = fmt_->streams[stream_];
    for (unsigned i = 0; i < fmt_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) fmt_->streams[i]->discard = AVDISCARD_ALL;
    dec_ = avcodec_alloc_context3(codec);
    if (!dec_) return kErrMem;
    if (avcodec_parameters_to_context(dec_, st->codecpar) < 0) return kErrFormat;
    dec_->pkt_timebase = st->time_base;
    if (avcodec_open2(dec_, codec, nullptr) < 0) return kErrCodec;
    pkt_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!pkt_ || !frame_) return kErrMem;

    inRate_ = static_cast<uint32_t>(dec_->sample_rate);
    chans_ = static_cast<uint32_t>(dec_->ch_layout.nb_channels);
    if (inRate_ == 0 || chans_ == 0 || chans_ > 8) return kErrFormat;
    rate_ = inRate_ > kMaxNativeRate ? kDsdRate : inRate_;
    formatName_ = fmt_->iformat ? fmt_->iformat->name : "";
    startTime_ = st->start_time != AV_NOPTS_VALUE ? static_cast<double>(st->start_time) * av_q2d(st->time_base) : 0.0;

    seekable_ = fmt_->pb ? (fmt_->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0 : !network;
    // A stream of unknown size is live; a file served over http with a size has a length.
    const bool live = network && (fmt_->duration == AV_NOPTS_VALUE || avio_size(fmt_->pb) < 0);
    if (!live) {
        double secs = -1;
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            secs = static_cast<double>(st->duration) * av_q2d(st->time_base);
        else if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
            secs = static_cast<double>(fmt_->duration) / AV_TIME_BASE;
        if (secs > 0) length_ = static_cast<int64_t>(std::llround(secs * rate_));
    }
    const int64_t br = st->codecpar->bit_rate > 0 ? st->codecpar->bit_rate : fmt_->bit_rate;
    bitrate_ = br > 0 ? static_cast<int>(br / 1000) : 0;
    vbr_ = IsVbrCodec(st->codecpar->codec_id) ||
           (!network && st->codecpar->codec_id == AV_CODEC_ID_MP3 && Mp3HasVbrHeader(url));

    // Something that merely probed as media but yields no audio is refused now.
    while (pendingFrames() == 0)
        if (!decodeMore()) return pendingFrames() > 0 ? kOk : kErrFileForm;
    return kOk;
}

bool FfmpegDecoder::ensureSwr(AVFrame* f) {
    if (swr_) return true;
    AVChannelLayout in{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || f->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&in, static_cast<int>(chans_));
    else
        av_channel_layout_copy(&in, &f->ch_layout);
    AVChannelLayout out{};
    av_channel_layout_copy(&out, &in);
    const int e = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, static_cast<int>(rate_), &in,
                                      static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (e < 0 || swr_init(swr_) < 0) {
        swr_free(&swr_);
        return false;
    }
    return true;
}

bool FfmpegDecoder::convertFrame(AVFrame* f) {
    if (f->ch_layout.nb_channels != static_cast<int>(chans_)) return true;  // a mid-stream change: skip
    if (!ensureSwr(f)) return false;
    if (needPts_) {
        needPts_ = false;
        const int64_t ts = f->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE) {
            const double t = static_cast<double>(ts) * av_q2d(fmt_->streams[stream_]->time_base) - startTime_;
            pos_ = static_cast<int64_t>(std::llround(t * rate_));
        } else {
            pos_ = dropUntil_;
        }
    }
    const int cap = swr_get_out_samples(swr_, f->nb_samples);
    if (cap <= 0) return true;
    const size_t old = pending_.size();
    pending_.resize(old + static_cast<size_t>(cap) * chans_);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(pending_.data() + old)};
    const int got = swr_convert(swr_, out, cap, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    pending_.resize(old + static_cast<size_t>(std::max(got, 0)) * chans_);
    if (dropUntil_ >= 0) {
        const int64_t drop = std::min<int64_t>(dropUntil_ - pos_, static_cast<int64_t>(pendingFrames()));
        if (drop > 0) {
            pendingOff_ += static_cast<size_t>(drop) * chans_;
            pos_ += drop;
        }
        if (pos_ >= dropUntil_) dropUntil_ = -1;
    }
    return true;
}

bool FfmpegDecoder::decodeMore() {
    if (finished_) return false;
    if (pendingOff_ > 0 && pendingOff_ * 2 > pending_.size()) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(pendingOff_));
        pendingOff_ = 0;
    }
    for (;;) {
        int e = avcodec_receive_frame(dec_, frame_);
        if (e == 0) {
            consecutiveErrors_ = 0;
            const bool ok = convertFrame(frame_);
            av_frame_unref(frame_);
            if (!ok) {
                finished_ = true;
                endError_ = AVERROR(EINVAL);
                return false;
            }
            return true;
        }
        if (e == AVERROR_EOF) {
            // Whatever the resampler still holds ends the stream.
            if (swr_) {
                const int cap = swr_get_out_samples(swr_, 0);
                if (cap > 0) {
                    const size_t old = pending_.size();
                    pending_.resize(old + static_cast<size_t>(cap) * chans_);
                    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(pending_.data() + old)};
                    const int got = swr_convert(swr_, out, cap, nullptr, 0);
                    pending_.resize(old + static_cast<size_t>(std::max(got, 0)) * chans_);
                }
            }
            finished_ = true;
            return false;
        }
        if (e != AVERROR(EAGAIN)) {
            if (++consecutiveErrors_ > kMaxConsecutiveErrors) {
                finished_ = true;
                endError_ = e;
                return false;
            }
            continue;
        }
        if (draining_) {
            finished_ = true;
            return false;
        }
        e = av_read_frame(fmt_, pkt_);
        if (onPacket) onPacket();
        if (e < 0) {
            if (e != AVERROR_EOF) endError_ = e;
            avcodec_send_packet(dec_, nullptr);
            draining_ = true;
            continue;
        }
        if (pkt_->stream_index != stream_) {
            av_packet_unref(pkt_);
            continue;
        }
        e = avcodec_send_packet(dec_, pkt_);
        av_packet_unref(pkt_);
        if (e < 0 && e != AVERROR(EAGAIN) && ++consecutiveErrors_ > kMaxConsecutiveErrors) {
            finished_ = true;
            endError_ = e;
            return false;
        }
    }
}

uint32_t FfmpegDecoder::take(float* out, uint32_t frames) {
    uint32_t done = 0;
    while (done < frames) {
        if (pendingFrames() == 0 && !decodeMore() && pendingFrames() == 0) break;
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(frames - done, pendingFrames()));
        std::memcpy(out + static_cast<size_t>(done) * chans_, pending_.data() + pendingOff_,
                    sizeof(float) * n * chans_);
        pendingOff_ += static_cast<size_t>(n) * chans_;
        pos_ += n;
        done += n;
    }
    return done;
}

bool FfmpegDecoder::seek(int64_t frame) {
    if (frame < 0) frame = 0;
    if (length_ >= 0 && frame > length_) frame = length_;
    if (!seekable_) {
        // Forward only, by decoding.
        if (frame < pos_) return Fail(kErrNotAvail, false);
        dropUntil_ = frame;
        while (pos_ < frame) {
            const int64_t drop = std::min<int64_t>(frame - pos_, static_cast<int64_t>(pendingFrames()));
            pendingOff_ += static_cast<size_t>(drop) * chans_;
            pos_ += drop;
            if (pos_ < frame && !decodeMore()) break;
        }
        dropUntil_ = -1;
        return true;
    }
    AVStream* st = fmt_->streams[stream_];
    // Land a little early: a decoder that lost its history (the MP3 bit
    // reservoir, AAC overlap) gives silence for its first frame after a seek.
    const double t = std::max(0.0, static_cast<double>(frame) / rate_ - kSeekPreroll) + startTime_;
    const double tb = av_q2d(st->time_base);
    const int64_t ts = static_cast<int64_t>(t / tb);
    // A demuxer's binary search can fail near the end before it has read that
    // far (FLAC does): then land further back, and decode forward from there.
    bool landed = av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD) >= 0 ||
                  avformat_seek_file(fmt_, stream_, INT64_MIN, ts, ts, 0) >= 0;
    for (double back = 1.0; !landed && back <= 4096.0; back *= 2) {
        const double earlier = std::max(0.0, t - back);
        landed = av_seek_frame(fmt_, stream_, static_cast<int64_t>(earlier / tb), AVSEEK_FLAG_BACKWARD) >= 0;
        if (earlier == 0.0) break;
    }
    if (!landed) return Fail(kErrPosition, false);
    avcodec_flush_buffers(dec_);
    swr_free(&swr_);
    pending_.clear();
    pendingOff_ = 0;
    finished_ = false;
    draining_ = false;
    endError_ = 0;
    needPts_ = true;
    dropUntil_ = frame;
    pos_ = frame;
    // Decode up to the target so the position is exact when this returns.
    while (dropUntil_ >= 0 && decodeMore()) {
    }
    if (needPts_) pos_ = frame;  // the end came first
    dropUntil_ = -1;
    return true;
}

}  // namespace tav::engine::detail
