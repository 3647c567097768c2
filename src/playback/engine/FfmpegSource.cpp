// Decoding channels over FFmpeg: local files (decoded on demand) and http/https
// streams (decoded ahead on a reader thread into a buffer of NetBufferMs).
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <thread>

#include "playback/engine/FfmpegDecoder.h"
#include "playback/engine/Internal.h"
#include "playback/engine/SampleQueue.h"
#include "platform/Paths.h"

namespace tav::engine::detail {

namespace {

std::string ReadBytes(const std::string& path, long offset, size_t n, int whence = SEEK_SET) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    std::string s;
    if (std::fseek(f, offset, whence) == 0) {
        s.resize(n);
        s.resize(std::fread(s.data(), 1, n, f));
    }
    std::fclose(f);
    return s;
}

// The raw ID3v2 tag at the start of a file (header and footer included).
std::optional<std::string> ReadId3v2(const std::string& path) {
    const std::string h = ReadBytes(path, 0, 10);
    if (h.size() < 10 || h.compare(0, 3, "ID3") != 0) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(h.data());
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return std::nullopt;
    size_t size = static_cast<size_t>(b[6]) << 21 | static_cast<size_t>(b[7]) << 14 | static_cast<size_t>(b[8]) << 7 | b[9];
    size += 10 + ((b[5] & 0x10) ? 10 : 0);
    std::string tag = ReadBytes(path, 0, size);
    if (tag.size() != size) return std::nullopt;
    return tag;
}

std::optional<std::string> ReadId3v1(const std::string& path) {
    std::string t = ReadBytes(path, -128, 128, SEEK_END);
    if (t.size() != 128 || t.compare(0, 3, "TAG") != 0) return std::nullopt;
    return t;
}

std::string FormatChapterTime(double s) {
    if (s < 0) s = 0;
    const long long ms = std::llround(s * 1000);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buf;
}

void AppendDict(std::vector<std::string>& out, const AVDictionary* d) {
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(d, "", e, AV_DICT_IGNORE_SUFFIX)))
        out.push_back(std::string(e->key) + "=" + (e->value ? e->value : ""));
}

// Which tag list the container's metadata answers as.
std::optional<TagType> ListTypeOf(const std::string& formatName) {
    auto has = [&](const char* n) { return formatName.find(n) != std::string::npos; };
    if (has("ogg") || has("flac") || has("opus")) return kTagOgg;
    if (has("ape") || formatName == "wv" || has("tak") || has("mpc")) return kTagApe;
    if (has("mp4") || has("m4a") || has("mov")) return kTagMp4;
    if (has("asf")) return kTagWma;
    if (formatName == "wav" || formatName == "w64") return kTagRiffInfo;
    return std::nullopt;
}

// Vorbis-comment style list, with the chapters the demuxer took out of the
// comments put back as CHAPTERnnn / CHAPTERnnnNAME entries.
std::vector<std::string> BuildTagList(AVFormatContext* fmt, int stream, TagType type) {
    std::vector<std::string> out;
    AppendDict(out, fmt->metadata);
    if (stream >= 0) AppendDict(out, fmt->streams[stream]->metadata);
    if (type == kTagOgg) {
        for (unsigned i = 0; i < fmt->nb_chapters; ++i) {
            const AVChapter* c = fmt->chapters[i];
            const long n = c->id > 0 && c->id < 1000000 ? static_cast<long>(c->id) : static_cast<long>(i + 1);
            char key[32];
            std::snprintf(key, sizeof key, "CHAPTER%03ld", n);
            out.push_back(std::string(key) + "=" + FormatChapterTime(static_cast<double>(c->start) * av_q2d(c->time_base)));
            if (const AVDictionaryEntry* t = av_dict_get(c->metadata, "title", nullptr, 0))
                out.push_back(std::string(key) + "NAME=" + t->value);
        }
    }
    return out;
}

std::string OptString(void* obj, const char* key) {
    if (!obj) return {};
    uint8_t* v = nullptr;
    std::string s;
    if (av_opt_get(obj, key, AV_OPT_SEARCH_CHILDREN, &v) >= 0 && v) s = reinterpret_cast<char*>(v);
    av_free(v);
    return s;
}

std::string HeaderValue(const std::string& block, const std::string& key) {
    size_t pos = 0;
    while (pos < block.size()) {
        size_t end = block.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = block.size();
        const std::string line = block.substr(pos, end - pos);
        if (line.size() > key.size() && StartsWithNoCase(line, key) && line[key.size()] == ':') {
            size_t v = key.size() + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            return line.substr(v);
        }
        pos = end + 1;
    }
    return {};
}

// Decoding on a reader thread, ahead of what is played, into a buffer:
// playback only takes decoded samples, so decoding runs beside the tempo
// processing and the effects instead of before them. A file's reads wait for
// the reader (it never stalls); a network stream's reads take what there is
// (an empty buffer is a stall, not an end).
class DecodeAheadGenerator : public Generator {
public:
    ~DecodeAheadGenerator() override { stop(); }

    uint32_t rate() const override { return rate_; }
    uint32_t chans() const override { return chans_; }

    uint32_t read(float* out, uint32_t frames) override {
        std::unique_lock l(m_);
        if (blocking_) {
            const size_t want = std::min<size_t>(frames, capacity_);
            cv_.wait(l, [&] { return fifoFrames() >= want || done_ || quit_; });
        }
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(frames, fifoFrames()));
        fifo_.pop(out, static_cast<size_t>(n) * chans_);
        pos_ += n;
        cv_.notify_all();
        return n;
    }
    bool ended() const override {
        std::lock_guard l(m_);
        return done_ && fifo_.empty() && !seekPending_;
    }
    int64_t lengthFrames() const override { return length_; }
    int64_t positionFrames() const override {
        std::lock_guard l(m_);
        return pos_;
    }
    bool seekFrames(int64_t frame) override {
        if (length_ < 0 || !d_.seekable()) return Fail(kErrNotAvail, false);
        std::unique_lock l(m_);
        seekTarget_ = frame;
        seekPending_ = true;
        cv_.notify_all();
        cv_.wait_for(l, std::chrono::milliseconds(Cfg().netTimeoutMs.load()), [&] { return !seekPending_ || quit_; });
        if (seekPending_) return Fail(kErrTimeout, false);
        if (!seekOk_) return Fail(kErrPosition, false);
        return true;
    }
    int bitrateKbps() const override { return d_.bitrateKbps(); }
    bool vbr() const override { return d_.vbr(); }

protected:
    // After the decoder is open: what it decoded already starts the buffer.
    void start(size_t capacityFrames, bool blocking) {
        rate_ = d_.rate();
        chans_ = d_.chans();
        length_ = d_.lengthFrames();
        capacity_ = std::max<size_t>(capacityFrames, 4096);
        blocking_ = blocking;
        moveDecoded();
        thread_ = std::thread([this] { run(); });
    }
    // Ends the reader; a derived class calls it first, since the reader may
    // call back into it.
    void stop() {
        d_.abort = true;
        {
            std::lock_guard l(m_);
            quit_ = true;
        }
        cv_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    size_t fifoFrames() const { return chans_ ? fifo_.size() / chans_ : 0; }
    // Reader thread: a seek has just moved the decoder.
    virtual void afterSeek() {}

    FfmpegDecoder d_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    int64_t decodedTotal_ = 0;  // frames moved into the buffer so far

private:
    void moveDecoded() {
        tmp_.resize(4096 * static_cast<size_t>(d_.chans()));
        const uint32_t n = d_.take(tmp_.data(), static_cast<uint32_t>(std::min<size_t>(4096, d_.pendingFrames())));
        std::lock_guard l(m_);
        fifo_.push(tmp_.data(), static_cast<size_t>(n) * chans_);
        decodedTotal_ += n;
    }

    void run() {
        for (;;) {
            {
                std::unique_lock l(m_);
                cv_.wait(l, [&] { return quit_ || seekPending_ || fifoFrames() < capacity_; });
                if (quit_) return;
                if (seekPending_) {
                    l.unlock();
                    const bool ok = d_.seek(seekTarget_);
                    l.lock();
                    seekOk_ = ok;
                    fifo_.clear();
                    afterSeek();
                    if (ok) pos_ = decodedTotal_ = d_.position();
                    done_ = false;
                    seekPending_ = false;
                    cv_.notify_all();
                    continue;
                }
                if (done_) {
                    cv_.wait(l, [&] { return quit_ || seekPending_; });
                    continue;
                }
            }
            const bool more = d_.pendingFrames() > 0 || d_.decodeMore();
            moveDecoded();
            std::lock_guard l(m_);
            if (!more || d_.finished()) done_ = true;
            cv_.notify_all();
        }
    }

    std::thread thread_;
    bool quit_ = false, blocking_ = false;
    bool seekPending_ = false, seekOk_ = false;
    int64_t seekTarget_ = 0;
    SampleQueue fifo_;
    std::vector<float> tmp_;  // reader thread only
    size_t capacity_ = 0;
    int64_t pos_ = 0, length_ = -1;
    uint32_t rate_ = 0, chans_ = 0;
};

// A local file, decoded a couple of seconds ahead.
class FileGenerator final : public DecodeAheadGenerator {
public:
    ~FileGenerator() override { stop(); }

    int open(const std::string& path) {
        const int e = d_.open(path, nullptr, false);
        if (e != kOk) return e;
        listType_ = ListTypeOf(d_.formatName());
        if (listType_) list_ = BuildTagList(d_.format(), d_.streamIndex(), *listType_);
        id3v2_ = ReadId3v2(path);
        id3v1_ = ReadId3v1(path);
        start(static_cast<size_t>(d_.rate()) * 2, true);
        return kOk;
    }
    std::optional<std::string> tagBlock(TagType t) const override {
        if (t == kTagId3v2) return id3v2_;
        if (t == kTagId3) return id3v1_;
        return std::nullopt;
    }
    std::optional<std::vector<std::string>> tagList(TagType t) const override {
        if (listType_ && *listType_ == t) return list_;
        return std::nullopt;
    }

private:
    std::optional<TagType> listType_;
    std::vector<std::string> list_;
    std::optional<std::string> id3v2_, id3v1_;
};

// An http/https stream, decoded NetBufferMs ahead. Metadata changes are kept
// with the position where they happened and become current when that
// position is heard.
class UrlGenerator final : public DecodeAheadGenerator {
public:
    ~UrlGenerator() override { stop(); }

    int open(const std::string& url, uint32_t flags) {
        AVDictionary* o = nullptr;
        const std::string timeoutUs = std::to_string(static_cast<int64_t>(Cfg().netTimeoutMs) * 1000);
        av_dict_set(&o, "icy", "1", 0);
        av_dict_set(&o, "user_agent", GetNetAgent().c_str(), 0);
        av_dict_set(&o, "timeout", timeoutUs.c_str(), 0);
        av_dict_set(&o, "rw_timeout", timeoutUs.c_str(), 0);
        av_dict_set(&o, "reconnect", "0", 0);
        av_dict_set(&o, "tls_verify", "1", 0);
        if (access("/etc/ssl/certs/ca-certificates.crt", R_OK) == 0)
            av_dict_set(&o, "ca_file", "/etc/ssl/certs/ca-certificates.crt", 0);
        // Connecting and reading the stream's header may not take longer than the time-out.
        d_.deadlineUs = av_gettime_relative() + static_cast<int64_t>(Cfg().netTimeoutMs) * 1000;
        const int e = d_.open(url, &o, true);
        av_dict_free(&o);
        d_.deadlineUs = 0;
        if (e != kOk) return e;
        block_ = (flags & kStreamBlock) != 0;
        void* pb = d_.format()->pb;
        icy_ = OptString(pb, "icy_metadata_headers");
        const std::string mime = OptString(pb, "mime_type");
        http_ = (mime.empty() ? std::string() : "Content-Type: " + mime + "\n") + icy_;
        const std::string br = HeaderValue(icy_, "icy-br");
        bitrate_ = br.empty() ? d_.bitrateKbps() : std::atoi(br.c_str());
        lastPacket_ = OptString(pb, "icy_metadata_packet");
        if (!lastPacket_.empty()) meta_ = lastPacket_;
        d_.onPacket = [this] { checkMetadata(); };
        const size_t capacity = static_cast<size_t>(std::max(1, Cfg().netBufferMs.load())) * d_.rate() / 1000;
        start(capacity, false);
        // Pre-buffer before the stream is handed out, so playback starts smoothly.
        const size_t prebuf = capacity * static_cast<size_t>(Cfg().netPrebufPercent) / 100;
        std::unique_lock l(m_);
        cv_.wait_for(l, std::chrono::milliseconds(Cfg().netTimeoutMs.load()),
                     [&] { return fifoFrames() >= prebuf || done_; });
        return kOk;
    }

    bool seekFrames(int64_t frame) override {
        if (block_) return Fail(kErrNotAvail, false);
        return DecodeAheadGenerator::seekFrames(frame);
    }
    int bitrateKbps() const override { return bitrate_; }
    std::optional<std::string> tagBlock(TagType t) const override {
        std::lock_guard l(m_);
        if (t == kTagIcy && !icy_.empty()) return icy_;
        if (t == kTagHttp && !http_.empty()) return http_;
        if (t == kTagMeta && !meta_.empty()) return meta_;
        return std::nullopt;
    }
    bool heardUpTo(int64_t frame) override {
        std::lock_guard l(m_);
        bool changed = false;
        while (!pendingMeta_.empty() && pendingMeta_.front().first <= frame) {
            if (pendingMeta_.front().second != meta_) changed = true;
            meta_ = pendingMeta_.front().second;
            pendingMeta_.pop_front();
        }
        return changed;
    }

private:
    void afterSeek() override { pendingMeta_.clear(); }

    // Reader thread, after each packet.
    void checkMetadata() {
        std::string packet = OptString(d_.format()->pb, "icy_metadata_packet");
        AVFormatContext* fmt = d_.format();
        if (packet.empty() && (fmt->event_flags & AVFMT_EVENT_FLAG_METADATA_UPDATED)) {
            fmt->event_flags &= ~AVFMT_EVENT_FLAG_METADATA_UPDATED;
            const AVDictionaryEntry* t = av_dict_get(fmt->metadata, "StreamTitle", nullptr, 0);
            if (!t) t = av_dict_get(fmt->metadata, "title", nullptr, 0);
            if (t) packet = std::string("StreamTitle='") + t->value + "';";
        }
        if (packet.empty() || packet == lastPacket_) return;
        lastPacket_ = packet;
        std::lock_guard l(m_);
        // Where the decoder is now is where the new title starts.
        pendingMeta_.emplace_back(decodedTotal_ + static_cast<int64_t>(d_.pendingFrames()), packet);
        if (pendingMeta_.size() > 64) pendingMeta_.pop_front();
    }

    bool block_ = false;
    int bitrate_ = 0;
    std::string icy_, http_, meta_, lastPacket_;
    std::deque<std::pair<int64_t, std::string>> pendingMeta_;
};

}  // namespace

std::unique_ptr<Generator> OpenFileGenerator(const std::string& path, int* error) {
    auto g = std::make_unique<FileGenerator>();
    const int e = g->open(path);
    if (e != kOk) {
        *error = e;
        return nullptr;
    }
    return g;
}

std::unique_ptr<Generator> OpenUrlGenerator(const std::string& url, uint32_t flags, Channel* owner, int* error) {
    (void)owner;
    auto g = std::make_unique<UrlGenerator>();
    const int e = g->open(url, flags);
    if (e != kOk) {
        *error = e;
        return nullptr;
    }
    return g;
}

}  // namespace tav::engine::detail
