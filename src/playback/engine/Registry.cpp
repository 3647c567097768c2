// Handles, the per-thread error code and the configuration values.
#include <mutex>
#include <unordered_map>

#include "playback/engine/Internal.h"

namespace tav::engine {

namespace detail {

namespace {
thread_local int tError = kOk;

struct Table {
    std::mutex m;
    uint32_t next = 1;
    std::unordered_map<Handle, std::shared_ptr<Channel>> channels;
    std::unordered_map<Handle, Handle> subs;  // sync/DSP/FX -> channel
};
Table& T() {
    static Table t;
    return t;
}
}  // namespace

void SetError(int code) { tError = code; }

Handle NewHandle() {
    std::lock_guard l(T().m);
    // Never reused: a stale handle stays invalid for the life of the process.
    Handle h = T().next++;
    if (T().next == 0) T().next = 1;
    return h;
}

void RegisterChannel(const std::shared_ptr<Channel>& ch) {
    std::lock_guard l(T().m);
    T().channels[ch->handle] = ch;
}

std::shared_ptr<Channel> FindChannel(Handle h) {
    std::lock_guard l(T().m);
    auto it = T().channels.find(h);
    return it == T().channels.end() ? nullptr : it->second;
}

void RegisterSub(Handle sub, Handle channel) {
    std::lock_guard l(T().m);
    T().subs[sub] = channel;
}

Handle OwnerOf(Handle sub) {
    std::lock_guard l(T().m);
    auto it = T().subs.find(sub);
    return it == T().subs.end() ? 0 : it->second;
}

void UnregisterSub(Handle sub) {
    std::lock_guard l(T().m);
    T().subs.erase(sub);
}

void UnregisterChannel(Handle h) {
    std::lock_guard l(T().m);
    T().channels.erase(h);
    for (auto it = T().subs.begin(); it != T().subs.end();)
        it = it->second == h ? T().subs.erase(it) : std::next(it);
}

std::vector<std::shared_ptr<Channel>> AllChannels() {
    std::lock_guard l(T().m);
    std::vector<std::shared_ptr<Channel>> v;
    for (auto& [h, c] : T().channels) v.push_back(c);
    return v;
}

ConfigValues& Cfg() {
    static ConfigValues c;
    return c;
}

}  // namespace detail

using namespace detail;

int ErrorGetCode() { return tError; }

bool SetConfig(Config option, int value) {
    auto& c = Cfg();
    auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
    switch (option) {
        case Config::BufferMs: c.bufferMs = clamp(value, 10, 5000); break;
        case Config::UpdatePeriodMs: c.updatePeriodMs = clamp(value, 5, 500); break;
        case Config::VolumeCurveLog: c.volumeCurveLog = value ? 1 : 0; break;
        case Config::NetTimeoutMs: c.netTimeoutMs = clamp(value, 100, 600000); break;
        case Config::NetBufferMs: c.netBufferMs = clamp(value, 500, 60000); break;
        case Config::NetPrebufPercent: c.netPrebufPercent = clamp(value, 0, 100); break;
        case Config::MidiVoices: c.midiVoices = clamp(value, 1, 1000); break;
        default: return Fail(kErrIllType, false);
    }
    SetError(kOk);
    return true;
}

int GetConfig(Config option) {
    auto& c = Cfg();
    SetError(kOk);
    switch (option) {
        case Config::BufferMs: return c.bufferMs;
        case Config::UpdatePeriodMs: return c.updatePeriodMs;
        case Config::VolumeCurveLog: return c.volumeCurveLog;
        case Config::NetTimeoutMs: return c.netTimeoutMs;
        case Config::NetBufferMs: return c.netBufferMs;
        case Config::NetPrebufPercent: return c.netPrebufPercent;
        case Config::MidiVoices: return c.midiVoices;
    }
    return Fail(kErrIllType, -1);
}

namespace {
std::mutex gAgentMutex;
std::string gAgent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36";
}  // namespace

void SetNetAgent(const std::string& agent) {
    std::lock_guard l(gAgentMutex);
    gAgent = agent;
}

std::string GetNetAgent() {
    std::lock_guard l(gAgentMutex);
    return gAgent;
}

}  // namespace tav::engine
