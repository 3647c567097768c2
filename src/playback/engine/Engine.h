#pragma once
// The audio engine: decoding channels (FFmpeg files and http/https streams,
// FluidSynth MIDI), playable streams, the SoundTouch tempo stream, an output
// mixer over SDL2, syncs and DSP hooks. Objects are named by 32-bit handles
// (0 = none); a freed handle is never reused, so a stale one is reported as an
// invalid handle. Every call sets the error code of the calling thread.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tav::engine {

using Handle = uint32_t;

// Error codes. The numbers are the ones the opening code maps onto its texts.
enum ErrorCode : int {
    kOk = 0,
    kErrMem = 1,
    kErrFileOpen = 2,
    kErrDriver = 3,
    kErrHandle = 5,
    kErrFormat = 6,
    kErrPosition = 7,
    kErrInit = 8,
    kErrStart = 9,
    kErrSsl = 10,
    kErrAlready = 14,
    kErrIllType = 19,
    kErrIllParam = 20,
    kErrNo3D = 21,
    kErrDevice = 23,
    kErrNoPlay = 24,
    kErrFreq = 25,
    kErrEmpty = 31,
    kErrNoNet = 32,
    kErrCreate = 33,
    kErrNotAvail = 37,
    kErrDecode = 38,
    kErrTimeout = 40,
    kErrFileForm = 41,
    kErrCodec = 44,
    kErrEnded = 45,
    kErrBusy = 46,
    kErrUnknown = -1,
};

// The error code of the last engine call made by this thread.
int ErrorGetCode();

// ---- Flags -----------------------------------------------------------------
enum : uint32_t {
    kSampleFloat = 0x100,      // always on: every channel delivers 32-bit floats
    kFxFreeSource = 0x10000,   // tempo stream: free the source with the stream
    kStreamBlock = 0x100000,   // URL: no seeking, small download blocks
    kStreamDecode = 0x200000,  // decoding channel: read with ChannelGetData, not played
    kStreamStatus = 0x800000,  // URL: status data (accepted, nothing extra)
    kMidiSincInter = 0x4000000,  // MIDI: highest interpolation
    kUnicode = 0x80000000,     // accepted for symmetry; paths are UTF-8
};
enum : uint32_t {
    kPosFlush = 0x1000000,  // ChannelSetPosition: flush the processing buffers
};
// ChannelGetData: the length is in bytes of float samples (the flag is optional).
enum : uint32_t { kDataFloat = 0x40000000 };
// A stream procedure adds this to the byte count when the stream has ended.
constexpr uint32_t kStreamProcEnd = 0x80000000;

// ---- Configuration -----------------------------------------------------------
enum class Config {
    BufferMs,         // playback buffer, 100 ... 5000 ms
    UpdatePeriodMs,   // refill period, 5 ... 500 ms
    VolumeCurveLog,   // 1: logarithmic curve for the volume attribute
    NetTimeoutMs,     // connecting and stalled reads
    NetBufferMs,      // how much of a stream is buffered ahead
    NetPrebufPercent, // of NetBufferMs, before a URL stream is returned
    MidiVoices,       // polyphony of new MIDI streams
};
bool SetConfig(Config option, int value);
int GetConfig(Config option);
// The agent sent with stream requests.
void SetNetAgent(const std::string& agent);
std::string GetNetAgent();

// ---- Output --------------------------------------------------------------------
struct DeviceInfo {
    std::string name;
    std::string driver;
    bool enabled = false;
    bool isDefault = false;
    bool initialized = false;
};
// index 1, 2, ...: false past the last device. Index 0 is the "No sound" device.
bool GetDeviceInfo(int index, DeviceInfo* info);
// device -1 = the system default, 0 = no sound (the caller drives the mixer
// with RenderOutput), 1... = a listed device. The output is stereo float at freq.
bool Init(int device, int freq);
// Frees every stream, then the output.
bool Free();
// The device in use, or -1 with kErrInit when none.
int GetDevice();
// True when the output had to fall back to SDL's silent "dummy" driver.
bool UsingDummyDriver();
// Mixes up to frames (stereo float, interleaved) of every playing stream and
// runs due syncs on the calling thread. Only on the "No sound" device. Returns
// the frames that carry audio: fewer than asked when the streams ended or
// stalled (the rest of out is silence).
uint32_t RenderOutput(float* out, uint32_t frames);

// ---- Channels ------------------------------------------------------------------
// Decoding channels.
Handle StreamCreateFile(const std::string& path, uint32_t flags);
Handle StreamCreateUrl(const std::string& url, uint32_t flags);
Handle MidiStreamCreateFile(const std::string& path, uint32_t flags);

// A stream fed by a procedure on an engine thread. It returns the number of
// bytes written (floats), plus kStreamProcEnd at the end.
using StreamProc = uint32_t (*)(Handle stream, void* buffer, uint32_t length, void* user);
Handle StreamCreate(uint32_t freq, uint32_t chans, uint32_t flags, StreamProc proc, void* user);

// The SoundTouch tempo stream over a decoding channel. Positions and lengths
// are those of the source.
Handle TempoCreate(Handle source, uint32_t flags);

bool StreamFree(Handle stream);

struct ChannelInfo {
    uint32_t freq = 0;
    uint32_t chans = 0;
    uint32_t flags = 0;
};
bool ChannelGetInfo(Handle channel, ChannelInfo* info);

// Bytes of float samples at the channel's own rate; -1 on error (a live
// stream has no length: kErrNotAvail).
int64_t ChannelGetLength(Handle channel);
// For a played stream: what is being heard now.
int64_t ChannelGetPosition(Handle channel);
// Exact: decodes and drops up to the target. A played stream's buffer is
// always flushed.
bool ChannelSetPosition(Handle channel, int64_t bytes, uint32_t mode = 0);
double ChannelBytes2Seconds(Handle channel, int64_t bytes);
int64_t ChannelSeconds2Bytes(Handle channel, double seconds);

// Reads float samples from a decoding channel: bytes read, or -1 at the end
// (kErrEnded) or on error.
int32_t ChannelGetData(Handle channel, void* buffer, uint32_t length);

enum Activity { kStopped = 0, kPlaying = 1, kStalled = 2, kPaused = 3 };
int ChannelIsActive(Handle channel);
bool ChannelPlay(Handle channel, bool restart);
bool ChannelPause(Handle channel);
bool ChannelStop(Handle channel);

enum Attribute : uint32_t {
    kAttribFreq = 1,        // playback rate in Hz: resampled by the mixer
    kAttribVol = 2,         // 0 ... 1 (curve applies)
    kAttribBuffer = 0x15,   // playback buffer of this stream, seconds
    kAttribBitrate = 12,    // kbps (read only)
    kAttribVbr = 0x1000,    // 1 when the bitrate varies (read only)
    kAttribTempo = 0x10000,       // percent
    kAttribTempoPitch = 0x10001,  // semitones
    kAttribTempoFreq = 0x10002,   // Hz
    kAttribTempoUseAAFilter = 0x10010,
    kAttribTempoAAFilterLength = 0x10011,
    kAttribTempoUseQuickAlgo = 0x10012,
    kAttribTempoSequenceMs = 0x10013,
    kAttribTempoSeekWindowMs = 0x10014,
    kAttribTempoOverlapMs = 0x10015,
    kAttribTempoPreventClick = 0x10016,
};
bool ChannelSetAttribute(Handle channel, uint32_t attrib, float value);
bool ChannelGetAttribute(Handle channel, uint32_t attrib, float* value);

// ---- Tags ----------------------------------------------------------------------
enum TagType : uint32_t {
    kTagId3 = 0,         // the 128-byte ID3v1 block
    kTagId3v2 = 1,       // the raw ID3v2 tag, header included
    kTagOgg = 2,         // Vorbis comments (Ogg, FLAC, Opus)
    kTagHttp = 3,        // HTTP response headers, "key: value" lines
    kTagIcy = 4,         // ICY headers, "key: value" lines
    kTagMeta = 5,        // the stream metadata text, "StreamTitle='...';"
    kTagApe = 6,
    kTagMp4 = 7,
    kTagWma = 8,
    kTagMf = 13,
    kTagRiffInfo = 0x100,
};
// Blocks: ID3, ID3v2, HTTP, ICY, META.
std::optional<std::string> ChannelGetTagBlock(Handle channel, TagType type);
// Lists of "key=value" entries: OGG, APE, MP4, WMA, RIFF INFO, MF.
std::optional<std::vector<std::string>> ChannelGetTagList(Handle channel, TagType type);

// ---- Syncs -----------------------------------------------------------------------
enum SyncType : uint32_t { kSyncEnd = 2, kSyncMeta = 4 };
// Called on an engine thread; keep it short (post, do not work).
using SyncProc = void (*)(Handle sync, Handle channel, uint32_t data, void* user);
Handle ChannelSetSync(Handle channel, uint32_t type, uint64_t param, SyncProc proc, void* user);
bool ChannelRemoveSync(Handle channel, Handle sync);

// ---- DSP and effects ---------------------------------------------------------
// Runs in place on interleaved floats at the stream's own rate, on an engine
// thread. Higher priority runs first. Attaching and removing are serialised
// with processing: once ChannelRemoveDSP returns, the callback is not running.
using DspProc = void (*)(Handle dsp, Handle channel, float* buffer, uint32_t lengthBytes, void* user);
Handle ChannelSetDSP(Handle channel, DspProc proc, void* user, int priority);
bool ChannelRemoveDSP(Handle channel, Handle dsp);

// Effect units, made by factories that the effects code registers by type.
class FxUnit {
public:
    virtual ~FxUnit() = default;
    virtual void process(float* interleaved, uint32_t frames, uint32_t chans) = 0;
    virtual bool setParameters(const void* params) = 0;
    virtual bool getParameters(void* params) const = 0;
    virtual void reset() {}
};
using FxFactory = std::unique_ptr<FxUnit> (*)(uint32_t type, float rate, uint32_t chans);
void RegisterFxType(uint32_t type, FxFactory factory);
Handle ChannelSetFX(Handle channel, uint32_t type, int priority);
bool ChannelRemoveFX(Handle channel, Handle fx);
bool FXSetParameters(Handle fx, const void* params);
bool FXGetParameters(Handle fx, void* params);

// ---- MIDI SoundFonts --------------------------------------------------------------
Handle MidiFontInit(const std::string& path);
bool MidiFontFree(Handle font);
// The font for new MIDI streams (0 = none: a system SoundFont is looked for).
bool MidiSetDefaultFont(Handle font);
bool MidiStreamSetFont(Handle stream, Handle font);

// ---- Components -------------------------------------------------------------------
struct Component {
    std::string name;  // e.g. "FFmpeg libavformat 59.27.100"
    bool loaded = false;
};
std::vector<Component> DecoderComponents();

}  // namespace tav::engine
