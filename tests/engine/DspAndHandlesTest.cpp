// DSP callbacks run on the played stream in priority order and change what is
// heard; stale handles are refused, never followed.
#include <gtest/gtest.h>

#include <cmath>
#include <mutex>

#include "Fixtures.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"

using namespace tavtest;
namespace eng = tav::engine;

namespace {

struct Trace {
    std::mutex m;
    std::vector<int> order;
    int calls[3] = {0, 0, 0};
};

struct Tag {
    Trace* trace;
    int id;
    float gain;
};

void Record(eng::Handle, eng::Handle, float* buf, uint32_t bytes, void* user) {
    auto* t = static_cast<Tag*>(user);
    {
        std::lock_guard l(t->trace->m);
        if (t->trace->order.size() < 3) t->trace->order.push_back(t->id);
        ++t->trace->calls[t->id];
    }
    for (uint32_t i = 0; i < bytes / 4; ++i) buf[i] *= t->gain;
}

TEST(Dsp, RunInPriorityOrderInPlaceOnThePlayedStream) {
    TempDir dir;
    ASSERT_TRUE(MakeTone(dir.file("t.flac"), 440, 3.0));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(dir.file("t.flac")));
    const eng::Handle s = tav::Session().playStream;
    Trace trace;
    Tag low{&trace, 0, 1.0f}, mid{&trace, 1, 0.5f}, high{&trace, 2, 1.0f};
    // Attach after what was buffered at the start has been heard.
    const double plain = Rms(player.render(0.6).channel(0));
    const eng::Handle a = eng::ChannelSetDSP(s, Record, &low, -5);
    const eng::Handle b = eng::ChannelSetDSP(s, Record, &high, 100);
    const eng::Handle c = eng::ChannelSetDSP(s, Record, &mid, 10);
    ASSERT_TRUE(a && b && c);
    Audio before = player.render(1.0);
    {
        std::lock_guard l(trace.m);
        EXPECT_EQ(trace.order, (std::vector<int>{2, 1, 0}));
    }
    // Halved by the middle one, once the new buffer is heard.
    EXPECT_NEAR(Rms(before.channel(0, 30000)) / plain, 0.5, 0.02);

    ASSERT_TRUE(eng::ChannelRemoveDSP(s, c));
    int callsAfterRemoval;
    {
        std::lock_guard l(trace.m);
        callsAfterRemoval = trace.calls[1];
    }
    Audio after = player.render(1.0);
    {
        std::lock_guard l(trace.m);
        EXPECT_EQ(trace.calls[1], callsAfterRemoval);
        EXPECT_GT(trace.calls[0], 0);
    }
    EXPECT_NEAR(Rms(after.channel(0, 30000)) / plain, 1.0, 0.02);
    // Removing it again is an invalid handle.
    EXPECT_FALSE(eng::ChannelRemoveDSP(s, c));
    EXPECT_EQ(eng::ErrorGetCode(), eng::kErrHandle);
}

TEST(Handles, StaleAndUnknownHandlesAreRefused) {
    TempDir dir;
    ASSERT_TRUE(MakeTone(dir.file("t.flac"), 440, 1.0));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(dir.file("t.flac")));
    const eng::Handle s = tav::Session().playStream;
    const eng::Handle src = tav::Session().tagStream;
    ASSERT_TRUE(eng::StreamFree(s));
    // The tempo stream took its source with it.
    for (eng::Handle h : {s, src, eng::Handle{0}, eng::Handle{0x7fffffff}}) {
        EXPECT_FALSE(eng::ChannelPlay(h, false));
        EXPECT_EQ(eng::ErrorGetCode(), eng::kErrHandle);
        EXPECT_EQ(eng::ChannelGetPosition(h), -1);
        EXPECT_EQ(eng::ErrorGetCode(), eng::kErrHandle);
        EXPECT_EQ(eng::ChannelIsActive(h), eng::kStopped);
        EXPECT_EQ(eng::ErrorGetCode(), eng::kErrHandle);
        EXPECT_FALSE(eng::StreamFree(h));
        EXPECT_EQ(eng::ChannelSetDSP(h, Record, nullptr, 0), 0u);
    }
    // The mixer goes on without it.
    Audio a = player.render(0.2);
    EXPECT_EQ(a.frames(), 0u);
}

TEST(Handles, DecodingChannelIsReadNotPlayed) {
    TempDir dir;
    ASSERT_TRUE(MakeTone(dir.file("t.flac"), 440, 0.5));
    OfflinePlayer player;
    const eng::Handle h = eng::StreamCreateFile(dir.file("t.flac"), eng::kStreamDecode | eng::kSampleFloat);
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(eng::ChannelPlay(h, false));
    EXPECT_EQ(eng::ErrorGetCode(), eng::kErrDecode);
    std::vector<float> buf(4096 * 2);
    int64_t total = 0;
    int32_t got;
    while ((got = eng::ChannelGetData(h, buf.data(), static_cast<uint32_t>(buf.size() * 4))) > 0) total += got;
    EXPECT_EQ(got, -1);
    EXPECT_EQ(eng::ErrorGetCode(), eng::kErrEnded);
    EXPECT_EQ(total, eng::ChannelGetLength(h));
    EXPECT_EQ(eng::ChannelGetPosition(h), total);
    // An unknown effect type is refused.
    EXPECT_EQ(eng::ChannelSetFX(h, 0xDEAD, 0), 0u);
    EXPECT_EQ(eng::ErrorGetCode(), eng::kErrIllType);
    EXPECT_TRUE(eng::StreamFree(h));
}

}  // namespace
