#pragma once
// Engine internals shared by its source files; nothing outside the engine
// includes this.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "playback/engine/Engine.h"

struct SwrContext;

namespace tav::engine::detail {

void SetError(int code);

template <typename T>
T Fail(int code, T result) {
    SetError(code);
    return result;
}

class Channel;

// Something that produces interleaved float frames at its own rate.
class Generator {
public:
    virtual ~Generator() = default;
    virtual uint32_t rate() const = 0;
    virtual uint32_t chans() const = 0;
    // Up to frames frames. Fewer than asked while ended() is false means that
    // nothing more is available now (a network stall).
    virtual uint32_t read(float* out, uint32_t frames) = 0;
    virtual bool ended() const = 0;
    virtual int64_t lengthFrames() const { return -1; }
    virtual int64_t positionFrames() const = 0;
    // Exact repositioning; sets the error code and returns false on failure.
    virtual bool seekFrames(int64_t frame) {
        (void)frame;
        return Fail(kErrNotAvail, false);
    }
    virtual int bitrateKbps() const { return 0; }
    virtual bool vbr() const { return false; }
    virtual std::optional<std::string> tagBlock(TagType) const { return std::nullopt; }
    virtual std::optional<std::vector<std::string>> tagList(TagType) const { return std::nullopt; }
    // Attributes that belong to the generator (the tempo stream's).
    virtual bool setAttribute(uint32_t, float) { return false; }
    virtual bool getAttribute(uint32_t, float*) const { return false; }
    // The position now being heard, in this generator's frames: metadata
    // changes become current when the audio they belong to is heard. True
    // when the current metadata changed (the caller then runs the syncs).
    virtual bool heardUpTo(int64_t frame) {
        (void)frame;
        return false;
    }
    // A generator that reads another channel (the tempo stream) hands the
    // heard position down to it.
    virtual Channel* upstream() const { return nullptr; }
};

struct SyncEntry {
    Handle handle;
    uint32_t type;
    SyncProc proc;
    void* user;
};

struct DspEntry {
    Handle handle;
    int priority;
    uint64_t order;
    DspProc proc = nullptr;
    void* user = nullptr;
    std::unique_ptr<FxUnit> fx;
};

// What a playable stream needs to be mixed: a ring of output frames (stereo
// float at the output rate) written by the update thread and read by the
// audio callback without locks.
struct Playback {
    std::vector<float> ring;
    uint64_t capacity = 0;  // frames
    std::atomic<uint64_t> writeTotal{0};
    std::atomic<uint64_t> readTotal{0};
    std::atomic<int> state{kStopped};
    std::atomic<bool> stalled{false};
    std::atomic<uint64_t> endAt{UINT64_MAX};
    std::atomic<bool> endHeard{false};

    // Position markers: after ring frame ringEnd the generator was at genPos.
    struct Marker {
        uint64_t ringEnd;
        int64_t genPos;
    };
    static constexpr size_t kMarkers = 1024;
    std::array<Marker, kMarkers> markers{};
    size_t markerHead = 0, markerCount = 0;
    Marker base{0, 0};

    SwrContext* swr = nullptr;
    uint32_t swrInRate = 0;
    uint32_t swrInChans = 0;
    bool genEnded = false;
    std::vector<float> inBuf, outBuf;

    ~Playback();
};

class Channel {
public:
    Handle handle = 0;
    uint32_t flags = 0;
    std::atomic<bool> freed{false};

    // Serialises the generator, the DSP chain and attributes with processing.
    std::mutex mutex;
    std::unique_ptr<Generator> gen;
    std::vector<DspEntry> dsp;  // in running order
    uint64_t dspOrder = 0;
    std::shared_ptr<Channel> ownedSource;  // freed with this channel
    // A decoding channel read by a tempo stream: the stream reports what is heard.
    std::atomic<bool> drivenByStream{false};

    std::mutex syncMutex;
    std::vector<SyncEntry> syncs;

    std::atomic<float> volume{1.0f};
    float freqAttr = 0.0f;    // 0 = the generator's own rate
    float bufferAttr = -1.0f;  // seconds; < 0 = the configured buffer
    bool endSyncFired = false;

    std::unique_ptr<Playback> play;  // null for decoding channels

    bool isDecode() const { return !play; }
    uint32_t bytesPerFrame() const { return gen ? gen->chans() * 4 : 8; }
    uint32_t playRate() const {
        return freqAttr > 0 ? static_cast<uint32_t>(freqAttr + 0.5f) : (gen ? gen->rate() : 44100);
    }

    // Reads through the generator and the DSP chain. Caller holds mutex.
    uint32_t readProcessed(float* out, uint32_t frames);
    // Calls the syncs of a type; caller must not hold mutex.
    void fireSyncs(uint32_t type, uint32_t data);
};

// ---- Handle table ----------------------------------------------------------
Handle NewHandle();
void RegisterChannel(const std::shared_ptr<Channel>& ch);
std::shared_ptr<Channel> FindChannel(Handle h);
// Channel owning a sync, DSP or FX handle.
void RegisterSub(Handle sub, Handle channel);
Handle OwnerOf(Handle sub);
void UnregisterSub(Handle sub);
void UnregisterChannel(Handle h);
std::vector<std::shared_ptr<Channel>> AllChannels();

// ---- Configuration ---------------------------------------------------------
struct ConfigValues {
    std::atomic<int> bufferMs{500};
    std::atomic<int> updatePeriodMs{100};
    std::atomic<int> volumeCurveLog{0};
    std::atomic<int> netTimeoutMs{30000};
    std::atomic<int> netBufferMs{10000};
    std::atomic<int> netPrebufPercent{50};
    std::atomic<int> midiVoices{128};
};
ConfigValues& Cfg();

// ---- Output and mixing -----------------------------------------------------
bool OutputInitialized();
uint32_t OutputRate();
// Attaches a playable stream to the mixer and starts it.
bool OutputStart(const std::shared_ptr<Channel>& ch);
void OutputRemove(Channel* ch);
// Drops what the stream has buffered (a seek); caller holds ch.mutex.
void OutputFlush(Channel& ch, int64_t newPos);
// Fills the stream's ring up to its buffer length; caller holds ch.mutex.
void OutputFill(Channel& ch);
// The position being heard; caller holds ch.mutex.
int64_t OutputHeardPosition(Channel& ch);
Playback* NewPlayback();
void WakeUpdater();

// ---- Generators ------------------------------------------------------------
std::unique_ptr<Generator> OpenFileGenerator(const std::string& path, int* error);
std::unique_ptr<Generator> OpenUrlGenerator(const std::string& url, uint32_t flags, Channel* owner,
                                            int* error);
std::unique_ptr<Generator> OpenMidiGenerator(const std::string& path, bool sinc, const std::string& font,
                                             int* error);
// Replaces the SoundFont of a MIDI generator (false when it is not one).
bool SetMidiGeneratorFont(Generator* gen, const std::string& font);
std::unique_ptr<Generator> MakeTempoGenerator(std::shared_ptr<Channel> source);
std::unique_ptr<Generator> MakeProcGenerator(Channel* owner, uint32_t freq, uint32_t chans, StreamProc proc,
                                             void* user);
// The SoundFont new MIDI streams get: the default font's path, else a system one.
std::string DefaultMidiFontPath();
std::string SystemSoundFont();

bool LooksLikeMidi(const std::string& path);
int MapAvError(int averror, bool url);

}  // namespace tav::engine::detail
