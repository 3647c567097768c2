// Tempo, pitch and rate change what is heard as they should, positions are in
// source time, and seeks land where they were asked to.
#include <gtest/gtest.h>

#include <cmath>

#include "Fixtures.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

struct SpeedCase {
    const char* name;
    float tempo, pitch, rate;
    double seconds, hz;  // expected from 4 s of 440 Hz
};

class Speed : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(Speed, ChangesDurationAndFrequencyAsAsked) {
    const SpeedCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("tone.flac");
    ASSERT_TRUE(MakeTone(path, 440, 4.0));
    OfflinePlayer player;
    tav::Settings().playback.Tempo = c.tempo;
    tav::Settings().playback.Pitch = c.pitch;
    tav::Settings().playback.Rate = c.rate;
    ASSERT_TRUE(tav::OpenMedia(path));
    Audio a = player.render(30);
    EXPECT_TRUE(player.ended());
    EXPECT_NEAR(a.seconds(), c.seconds, c.seconds * 0.03) << c.name;
    EXPECT_NEAR(DominantFrequency(a.channel(0, 2205, a.frames() - 2205), a.rate), c.hz, c.hz * 0.02) << c.name;
    // The length stays the source's, whatever the speed.
    EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 4.0, 0.01) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Engine, Speed,
                         ::testing::Values(SpeedCase{"neutral", 0, 0, 1, 4.0, 440},
                                           SpeedCase{"tempo_plus_100", 100, 0, 1, 2.0, 440},
                                           SpeedCase{"tempo_minus_50", -50, 0, 1, 8.0, 440},
                                           SpeedCase{"pitch_plus_12", 0, 12, 1, 4.0, 880},
                                           SpeedCase{"pitch_minus_12", 0, -12, 1, 4.0, 220},
                                           SpeedCase{"rate_2", 0, 0, 2, 2.0, 880},
                                           SpeedCase{"rate_half", 0, 0, 0.5f, 8.0, 220},
                                           SpeedCase{"tempo_and_rate", 100, 0, 0.5f, 4.0, 220}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Position, IsSourceTimeWhileTempoPlays) {
    TempDir dir;
    const std::string path = dir.file("tone.flac");
    ASSERT_TRUE(MakeTone(path, 440, 10.0));
    OfflinePlayer player;
    tav::Settings().playback.Tempo = 100;
    ASSERT_TRUE(tav::OpenMedia(path));
    EXPECT_NEAR(tav::CurrentPosition(), 0.0, 0.01);
    player.render(1.0);  // one second heard at double speed
    EXPECT_NEAR(tav::CurrentPosition(), 2.0, 0.08);
}

TEST(Position, NeutralPlaybackIsBitExact) {
    TempDir dir;
    const std::string path = dir.file("tone.wav");
    ASSERT_TRUE(MakeTone(path, 1000, 1.0));
    OfflinePlayer player;
    // What the file decodes to...
    std::vector<float> decoded(44100 * 2 + 64);
    const auto h = tav::engine::StreamCreateFile(path, tav::engine::kStreamDecode);
    ASSERT_NE(h, 0u);
    ASSERT_EQ(tav::engine::ChannelGetData(h, decoded.data(), static_cast<uint32_t>(decoded.size() * 4)), 44100 * 8);
    tav::engine::StreamFree(h);
    // ...is exactly what is heard at neutral tempo, pitch and rate, from the first sample.
    ASSERT_TRUE(tav::OpenMedia(path));
    Audio a = player.render(5);
    ASSERT_EQ(a.frames(), 44100u);
    for (size_t i = 0; i < a.samples.size(); ++i) ASSERT_EQ(a.samples[i], decoded[i]) << "sample " << i;
}

// A tone from 0 to 3 s with a gap of silence at 2.0 ... 2.3 s: where the gap
// begins in what is heard tells where playback started.
class Seek : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(Seek, StartsWhereAsked) {
    TempDir dir;
    const auto& enc = GetParam();
    const std::string path = dir.file("gap" + enc[0]);
    std::vector<std::string> args = {"-f", "lavfi", "-i",
                                     "aevalsrc='if(between(t,2.0,2.3),0,0.4*sin(2*PI*440*t))':s=44100:d=3", "-ac", "2"};
    args.insert(args.end(), enc.begin() + 1, enc.end());
    args.push_back(path);
    ASSERT_TRUE(Ffmpeg(args));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(path));
    tav::GetTempoProcessor()->seek(1.5);
    EXPECT_NEAR(tav::CurrentPosition(), 1.5, 0.001);
    Audio a = player.render(1.2);
    const double gap = static_cast<double>(FirstQuietFrame(a, 0.01)) / a.rate;
    EXPECT_NEAR(gap, 0.5, 0.02) << enc[0];
    EXPECT_GT(Rms(a.channel(0, 0, 4410 * 4)), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Engine, Seek,
                         ::testing::Values(std::vector<std::string>{".mp3", "-c:a", "libmp3lame"},
                                           std::vector<std::string>{".flac"},
                                           std::vector<std::string>{".ogg", "-c:a", "libvorbis"}),
                         [](const auto& p) { return p.param[0].substr(1); });

TEST(Seek, WorksAtTempoAndFlushesWhatWasBuffered) {
    TempDir dir;
    const std::string path = dir.file("gap.flac");
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "aevalsrc='if(between(t,4.0,4.5),0,0.4*sin(2*PI*440*t))':s=44100:d=6",
                        "-ac", "2", path}));
    OfflinePlayer player;
    tav::Settings().playback.Tempo = 100;
    ASSERT_TRUE(tav::OpenMedia(path));
    player.render(0.5);
    tav::GetTempoProcessor()->seek(3.0);
    EXPECT_NEAR(tav::CurrentPosition(), 3.0, 0.001);
    Audio a = player.render(1.0);
    // One source second at double speed: the gap comes after half a second.
    EXPECT_NEAR(static_cast<double>(FirstQuietFrame(a, 0.01)) / a.rate, 0.5, 0.04);
}

}  // namespace
