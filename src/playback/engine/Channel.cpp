// The channel API: creating and freeing streams, positions, data, attributes,
// tags, syncs, DSP and effect units, SoundFonts.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "playback/engine/Internal.h"
#include "platform/Paths.h"

namespace tav::engine {

using namespace detail;

namespace detail {

uint32_t Channel::readProcessed(float* out, uint32_t frames) {
    const uint32_t n = gen->read(out, frames);
    if (n == 0) return 0;
    const uint32_t ch = gen->chans();
    for (auto& d : dsp) {
        if (d.proc)
            d.proc(d.handle, handle, out, n * ch * 4, d.user);
        else if (d.fx)
            d.fx->process(out, n, ch);
    }
    return n;
}

void Channel::fireSyncs(uint32_t type, uint32_t data) {
    std::vector<SyncEntry> due;
    {
        std::lock_guard l(syncMutex);
        for (auto& s : syncs)
            if (s.type == type) due.push_back(s);
    }
    for (auto& s : due)
        if (!freed) s.proc(s.handle, handle, data, s.user);
}

}  // namespace detail

namespace {

std::shared_ptr<Channel> NewChannel(uint32_t flags) {
    auto ch = std::make_shared<Channel>();
    ch->handle = NewHandle();
    ch->flags = flags | kSampleFloat;
    if (!(flags & kStreamDecode)) ch->play.reset(NewPlayback());
    return ch;
}

Handle Publish(const std::shared_ptr<Channel>& ch) {
    RegisterChannel(ch);
    SetError(kOk);
    return ch->handle;
}

std::shared_ptr<Channel> Get(Handle h) {
    auto ch = FindChannel(h);
    if (!ch) SetError(kErrHandle);
    return ch;
}

}  // namespace

Handle StreamCreateFile(const std::string& path, uint32_t flags) {
    if (!OutputInitialized()) return Fail(kErrInit, Handle{0});
    if (LooksLikeMidi(path)) return MidiStreamCreateFile(path, flags);
    int error = kOk;
    auto gen = OpenFileGenerator(path, &error);
    if (!gen) return Fail(error, Handle{0});
    auto ch = NewChannel(flags);
    ch->gen = std::move(gen);
    return Publish(ch);
}

Handle StreamCreateUrl(const std::string& url, uint32_t flags) {
    if (!OutputInitialized()) return Fail(kErrInit, Handle{0});
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://"))
        return Fail(kErrFileOpen, Handle{0});
    auto ch = NewChannel(flags);
    int error = kOk;
    auto gen = OpenUrlGenerator(url, flags, ch.get(), &error);
    if (!gen) return Fail(error, Handle{0});
    ch->gen = std::move(gen);
    return Publish(ch);
}

Handle MidiStreamCreateFile(const std::string& path, uint32_t flags) {
    if (!OutputInitialized()) return Fail(kErrInit, Handle{0});
    int error = kOk;
    auto gen = OpenMidiGenerator(path, (flags & kMidiSincInter) != 0, DefaultMidiFontPath(), &error);
    if (!gen) return Fail(error, Handle{0});
    auto ch = NewChannel(flags);
    ch->gen = std::move(gen);
    return Publish(ch);
}

Handle StreamCreate(uint32_t freq, uint32_t chans, uint32_t flags, StreamProc proc, void* user) {
    if (!OutputInitialized()) return Fail(kErrInit, Handle{0});
    if (!proc || chans < 1 || chans > 8) return Fail(kErrIllParam, Handle{0});
    if (freq < 100 || freq > 768000) return Fail(kErrFormat, Handle{0});
    auto ch = NewChannel(flags);
    ch->gen = MakeProcGenerator(ch.get(), freq, chans, proc, user);
    return Publish(ch);
}

Handle TempoCreate(Handle source, uint32_t flags) {
    auto src = Get(source);
    if (!src) return 0;
    if (!src->isDecode()) return Fail(kErrDecode, Handle{0});
    if (src->drivenByStream.exchange(true)) return Fail(kErrAlready, Handle{0});
    auto ch = NewChannel(flags & ~kFxFreeSource);
    ch->gen = MakeTempoGenerator(src);
    if (flags & kFxFreeSource) ch->ownedSource = src;
    return Publish(ch);
}

namespace {
void FreeOne(const std::shared_ptr<Channel>& ch) {
    ch->freed = true;
    UnregisterChannel(ch->handle);
    if (ch->play) OutputRemove(ch.get());
}
}  // namespace

bool StreamFree(Handle stream) {
    auto ch = Get(stream);
    if (!ch) return false;
    FreeOne(ch);
    if (ch->ownedSource) FreeOne(ch->ownedSource);
    SetError(kOk);
    return true;
}

bool ChannelGetInfo(Handle channel, ChannelInfo* info) {
    auto ch = Get(channel);
    if (!ch || !info) return false;
    std::lock_guard l(ch->mutex);
    info->freq = ch->gen->rate();
    info->chans = ch->gen->chans();
    info->flags = ch->flags;
    SetError(kOk);
    return true;
}

int64_t ChannelGetLength(Handle channel) {
    auto ch = Get(channel);
    if (!ch) return -1;
    std::lock_guard l(ch->mutex);
    const int64_t len = ch->gen->lengthFrames();
    if (len < 0) return Fail(kErrNotAvail, int64_t{-1});
    SetError(kOk);
    return len * ch->bytesPerFrame();
}

int64_t ChannelGetPosition(Handle channel) {
    auto ch = Get(channel);
    if (!ch) return -1;
    std::lock_guard l(ch->mutex);
    const int64_t pos = ch->play ? OutputHeardPosition(*ch) : ch->gen->positionFrames();
    SetError(kOk);
    return pos * ch->bytesPerFrame();
}

bool ChannelSetPosition(Handle channel, int64_t bytes, uint32_t mode) {
    (void)mode;  // the processing buffers are always flushed
    auto ch = Get(channel);
    if (!ch) return false;
    if (bytes < 0) return Fail(kErrPosition, false);
    std::lock_guard l(ch->mutex);
    const int64_t frame = bytes / ch->bytesPerFrame();
    const int64_t len = ch->gen->lengthFrames();
    if (len >= 0 && frame > len) return Fail(kErrPosition, false);
    if (!ch->gen->seekFrames(frame)) return false;
    ch->endSyncFired = false;
    if (ch->play) {
        OutputFlush(*ch, ch->gen->positionFrames());
        if (ch->play->state == kPlaying) OutputFill(*ch);
    }
    SetError(kOk);
    return true;
}

double ChannelBytes2Seconds(Handle channel, int64_t bytes) {
    auto ch = Get(channel);
    if (!ch) return -1.0;
    std::lock_guard l(ch->mutex);
    SetError(kOk);
    return static_cast<double>(bytes) / ch->bytesPerFrame() / ch->gen->rate();
}

int64_t ChannelSeconds2Bytes(Handle channel, double seconds) {
    auto ch = Get(channel);
    if (!ch) return -1;
    std::lock_guard l(ch->mutex);
    SetError(kOk);
    const double frames = std::floor(seconds * ch->gen->rate() + 0.5);
    return static_cast<int64_t>(std::max(0.0, frames)) * ch->bytesPerFrame();
}

int32_t ChannelGetData(Handle channel, void* buffer, uint32_t length) {
    auto ch = Get(channel);
    if (!ch) return -1;
    if (!ch->isDecode()) return Fail(kErrNotAvail, -1);
    length &= ~kDataFloat;
    bool endNow = false;
    uint32_t n = 0;
    {
        std::lock_guard l(ch->mutex);
        const uint32_t frames = length / ch->bytesPerFrame();
        n = ch->readProcessed(static_cast<float*>(buffer), frames);
        if (n == 0 && ch->gen->ended()) {
            endNow = !ch->endSyncFired;
            ch->endSyncFired = true;
        }
    }
    if (endNow) ch->fireSyncs(kSyncEnd, 0);
    if (n == 0 && !endNow && ch->endSyncFired) return Fail(kErrEnded, -1);
    if (n == 0 && endNow) return Fail(kErrEnded, -1);
    SetError(kOk);
    return static_cast<int32_t>(n * ch->bytesPerFrame());
}

int ChannelIsActive(Handle channel) {
    auto ch = Get(channel);
    if (!ch) return kStopped;
    SetError(kOk);
    if (ch->isDecode()) {
        std::lock_guard l(ch->mutex);
        return ch->gen->ended() ? kStopped : kPlaying;
    }
    const int st = ch->play->state;
    if (st == kPlaying && ch->play->stalled) return kStalled;
    return st;
}

bool ChannelPlay(Handle channel, bool restart) {
    auto ch = Get(channel);
    if (!ch) return false;
    if (ch->isDecode()) return Fail(kErrDecode, false);
    {
        std::lock_guard l(ch->mutex);
        Playback& p = *ch->play;
        const bool ended = p.genEnded && p.readTotal >= p.endAt;
        if (restart || ended) {
            if (ch->gen->seekFrames(0)) OutputFlush(*ch, 0);
            ch->endSyncFired = false;
        }
    }
    if (!OutputStart(ch)) return false;
    SetError(kOk);
    return true;
}

bool ChannelPause(Handle channel) {
    auto ch = Get(channel);
    if (!ch) return false;
    if (ch->isDecode()) return Fail(kErrDecode, false);
    int expected = kPlaying;
    if (!ch->play->state.compare_exchange_strong(expected, kPaused)) return Fail(kErrNoPlay, false);
    SetError(kOk);
    return true;
}

bool ChannelStop(Handle channel) {
    auto ch = Get(channel);
    if (!ch) return false;
    if (ch->isDecode()) return Fail(kErrDecode, false);
    ch->play->state = kStopped;
    SetError(kOk);
    return true;
}

bool ChannelSetAttribute(Handle channel, uint32_t attrib, float value) {
    auto ch = Get(channel);
    if (!ch) return false;
    if (!std::isfinite(value)) return Fail(kErrIllParam, false);
    std::lock_guard l(ch->mutex);
    switch (attrib) {
        case kAttribFreq:
            if (value != 0 && (value < 100 || value > 768000)) return Fail(kErrIllParam, false);
            ch->freqAttr = value;
            break;
        case kAttribVol: ch->volume = std::max(0.0f, value); break;
        case kAttribBuffer:
            if (!ch->play) return Fail(kErrNotAvail, false);
            ch->bufferAttr = std::max(0.0f, value);
            break;
        case kAttribBitrate:
        case kAttribVbr: return Fail(kErrIllType, false);
        default:
            if (!ch->gen->setAttribute(attrib, value)) return Fail(kErrIllType, false);
    }
    SetError(kOk);
    return true;
}

bool ChannelGetAttribute(Handle channel, uint32_t attrib, float* value) {
    auto ch = Get(channel);
    if (!ch || !value) return false;
    std::lock_guard l(ch->mutex);
    switch (attrib) {
        case kAttribFreq: *value = static_cast<float>(ch->playRate()); break;
        case kAttribVol: *value = ch->volume; break;
        case kAttribBuffer:
            *value = ch->bufferAttr >= 0 ? ch->bufferAttr : Cfg().bufferMs / 1000.0f;
            break;
        case kAttribBitrate: *value = static_cast<float>(ch->gen->bitrateKbps()); break;
        case kAttribVbr: *value = ch->gen->vbr() ? 1.0f : 0.0f; break;
        default:
            if (!ch->gen->getAttribute(attrib, value)) return Fail(kErrIllType, false);
    }
    SetError(kOk);
    return true;
}

std::optional<std::string> ChannelGetTagBlock(Handle channel, TagType type) {
    auto ch = Get(channel);
    if (!ch) return std::nullopt;
    std::optional<std::string> r;
    Channel* up = nullptr;
    {
        std::lock_guard l(ch->mutex);
        r = ch->gen->tagBlock(type);
        up = ch->gen->upstream();
    }
    if (!r && up) return ChannelGetTagBlock(up->handle, type);
    if (!r) return Fail(kErrNotAvail, std::optional<std::string>{});
    SetError(kOk);
    return r;
}

std::optional<std::vector<std::string>> ChannelGetTagList(Handle channel, TagType type) {
    auto ch = Get(channel);
    if (!ch) return std::nullopt;
    std::optional<std::vector<std::string>> r;
    Channel* up = nullptr;
    {
        std::lock_guard l(ch->mutex);
        r = ch->gen->tagList(type);
        up = ch->gen->upstream();
    }
    if (!r && up) return ChannelGetTagList(up->handle, type);
    if (!r) return Fail(kErrNotAvail, std::optional<std::vector<std::string>>{});
    SetError(kOk);
    return r;
}

Handle ChannelSetSync(Handle channel, uint32_t type, uint64_t param, SyncProc proc, void* user) {
    (void)param;
    auto ch = Get(channel);
    if (!ch) return 0;
    if (!proc || (type != kSyncEnd && type != kSyncMeta)) return Fail(kErrIllType, Handle{0});
    const Handle h = NewHandle();
    {
        std::lock_guard l(ch->syncMutex);
        ch->syncs.push_back({h, type, proc, user});
    }
    RegisterSub(h, channel);
    SetError(kOk);
    return h;
}

bool ChannelRemoveSync(Handle channel, Handle sync) {
    auto ch = Get(channel);
    if (!ch) return false;
    std::lock_guard l(ch->syncMutex);
    auto it = std::find_if(ch->syncs.begin(), ch->syncs.end(), [&](auto& s) { return s.handle == sync; });
    if (it == ch->syncs.end()) return Fail(kErrHandle, false);
    ch->syncs.erase(it);
    UnregisterSub(sync);
    SetError(kOk);
    return true;
}

namespace {

void InsertDsp(Channel& ch, DspEntry e) {
    e.order = ch.dspOrder++;
    auto pos = std::find_if(ch.dsp.begin(), ch.dsp.end(), [&](const DspEntry& d) { return d.priority < e.priority; });
    ch.dsp.insert(pos, std::move(e));
}

bool RemoveDsp(Handle channel, Handle h, bool wantFx) {
    auto ch = Get(channel);
    if (!ch) return false;
    std::lock_guard l(ch->mutex);
    auto it = std::find_if(ch->dsp.begin(), ch->dsp.end(), [&](auto& d) { return d.handle == h; });
    if (it == ch->dsp.end() || (it->fx != nullptr) != wantFx) return Fail(kErrHandle, false);
    ch->dsp.erase(it);
    UnregisterSub(h);
    SetError(kOk);
    return true;
}

std::mutex gFxMutex;
std::unordered_map<uint32_t, FxFactory>& FxTypes() {
    static std::unordered_map<uint32_t, FxFactory> m;
    return m;
}

}  // namespace

Handle ChannelSetDSP(Handle channel, DspProc proc, void* user, int priority) {
    auto ch = Get(channel);
    if (!ch) return 0;
    if (!proc) return Fail(kErrIllParam, Handle{0});
    const Handle h = NewHandle();
    {
        std::lock_guard l(ch->mutex);
        DspEntry e{h, priority, 0};
        e.proc = proc;
        e.user = user;
        InsertDsp(*ch, std::move(e));
    }
    RegisterSub(h, channel);
    SetError(kOk);
    return h;
}

bool ChannelRemoveDSP(Handle channel, Handle dsp) { return RemoveDsp(channel, dsp, false); }

void RegisterFxType(uint32_t type, FxFactory factory) {
    std::lock_guard l(gFxMutex);
    FxTypes()[type] = factory;
}

Handle ChannelSetFX(Handle channel, uint32_t type, int priority) {
    auto ch = Get(channel);
    if (!ch) return 0;
    FxFactory factory = nullptr;
    {
        std::lock_guard l(gFxMutex);
        auto it = FxTypes().find(type);
        if (it != FxTypes().end()) factory = it->second;
    }
    if (!factory) return Fail(kErrIllType, Handle{0});
    const Handle h = NewHandle();
    {
        std::lock_guard l(ch->mutex);
        auto unit = factory(type, static_cast<float>(ch->gen->rate()), ch->gen->chans());
        if (!unit) return Fail(kErrFormat, Handle{0});
        DspEntry e{h, priority, 0};
        e.fx = std::move(unit);
        InsertDsp(*ch, std::move(e));
    }
    RegisterSub(h, channel);
    SetError(kOk);
    return h;
}

bool ChannelRemoveFX(Handle channel, Handle fx) { return RemoveDsp(channel, fx, true); }

namespace {
template <typename F>
bool WithFx(Handle fx, F&& f) {
    auto ch = FindChannel(OwnerOf(fx));
    if (!ch) return Fail(kErrHandle, false);
    std::lock_guard l(ch->mutex);
    for (auto& d : ch->dsp)
        if (d.handle == fx && d.fx) {
            if (!f(*d.fx)) return Fail(kErrIllParam, false);
            SetError(kOk);
            return true;
        }
    return Fail(kErrHandle, false);
}
}  // namespace

bool FXSetParameters(Handle fx, const void* params) {
    return WithFx(fx, [&](FxUnit& u) { return params && u.setParameters(params); });
}

bool FXGetParameters(Handle fx, void* params) {
    return WithFx(fx, [&](FxUnit& u) { return params && u.getParameters(params); });
}

// ---- SoundFonts -------------------------------------------------------------

namespace {
std::mutex gFontMutex;
std::unordered_map<Handle, std::string>& Fonts() {
    static std::unordered_map<Handle, std::string> m;
    return m;
}
Handle gDefaultFont = 0;
}  // namespace

namespace detail {
std::string DefaultMidiFontPath() {
    {
        std::lock_guard l(gFontMutex);
        auto it = Fonts().find(gDefaultFont);
        if (it != Fonts().end()) return it->second;
    }
    return SystemSoundFont();
}
}  // namespace detail

Handle MidiFontInit(const std::string& path) {
    if (!PathExists(path)) return Fail(kErrFileOpen, Handle{0});
    // A quick check that this is a RIFF sfbk file; FluidSynth loads it per stream.
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return Fail(kErrFileOpen, Handle{0});
    char head[12] = {};
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n != sizeof head || std::string(head, 4) != "RIFF" || std::string(head + 8, 4) != "sfbk")
        return Fail(kErrFileForm, Handle{0});
    const Handle h = NewHandle();
    std::lock_guard l(gFontMutex);
    Fonts()[h] = path;
    SetError(kOk);
    return h;
}

bool MidiFontFree(Handle font) {
    std::lock_guard l(gFontMutex);
    if (!Fonts().erase(font)) return Fail(kErrHandle, false);
    if (gDefaultFont == font) gDefaultFont = 0;
    SetError(kOk);
    return true;
}

bool MidiSetDefaultFont(Handle font) {
    std::lock_guard l(gFontMutex);
    if (font != 0 && !Fonts().count(font)) return Fail(kErrHandle, false);
    gDefaultFont = font;
    SetError(kOk);
    return true;
}

bool MidiStreamSetFont(Handle stream, Handle font) {
    std::string path;
    {
        std::lock_guard l(gFontMutex);
        auto it = Fonts().find(font);
        if (it == Fonts().end()) return Fail(kErrHandle, false);
        path = it->second;
    }
    auto ch = Get(stream);
    if (!ch) return false;
    std::lock_guard l(ch->mutex);
    if (!SetMidiGeneratorFont(ch->gen.get(), path)) return Fail(kErrIllType, false);
    SetError(kOk);
    return true;
}

}  // namespace tav::engine
