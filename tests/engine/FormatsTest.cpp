// Every supported format opens, reports its length and plays as what it holds.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "MediaGen.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

struct FormatCase {
    const char* file;
    std::vector<std::string> encode;  // ffmpeg arguments before the output name
    double lengthTolerance;          // seconds
};

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, OpensReportsLengthAndPlaysTheTone) {
    const FormatCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file(c.file);
    ASSERT_TRUE(MakeTone(path, 440, 2.0, c.encode)) << "ffmpeg could not write " << c.file;
    OfflinePlayer player;
    ASSERT_TRUE(player.started());
    ASSERT_TRUE(tav::OpenMedia(path)) << c.file;
    EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 2.0, c.lengthTolerance) << c.file;
    Audio a = player.render(10);
    EXPECT_TRUE(player.ended()) << c.file;
    EXPECT_NEAR(a.seconds(), 2.0, c.lengthTolerance) << c.file;
    EXPECT_NEAR(DominantFrequency(a.channel(0), a.rate), 440.0, 440 * 0.02) << c.file;
    EXPECT_GT(Rms(a.channel(1)), 0.05) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Formats,
    ::testing::Values(FormatCase{"tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 0.06},
                      FormatCase{"tone.ogg", {"-c:a", "libvorbis"}, 0.03},
                      FormatCase{"tone.opus", {"-c:a", "libopus"}, 0.03},
                      FormatCase{"tone.flac", {}, 0.01},
                      FormatCase{"tone-aac.m4a", {"-c:a", "aac"}, 0.06},
                      FormatCase{"tone-alac.m4a", {"-c:a", "alac"}, 0.01},
                      FormatCase{"tone.wma", {"-c:a", "wmav2"}, 0.08},
                      FormatCase{"tone.wav", {}, 0.01},
                      FormatCase{"tone.wv", {"-c:a", "wavpack"}, 0.01},
                      FormatCase{"tone.aiff", {}, 0.01},
                      FormatCase{"tone-mono.mp3", {"-ac", "1", "-c:a", "libmp3lame"}, 0.06},
                      FormatCase{"tone-48k.flac", {"-ar", "48000"}, 0.01}),
    [](const auto& p) {
        std::string n = p.param.file;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(FormatsByteGenerated, TrackerModulePlaysItsPattern) {
    TempDir dir;
    const std::string path = dir.file("tone.mod");
    ASSERT_TRUE(WriteModule(path, 32));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(path));
    // One pattern of 64 rows at speed 6 and 125 BPM.
    EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 7.68, 0.05);
    Audio a = player.render(12);
    EXPECT_NEAR(a.seconds(), 7.68, 0.15);
    // Period 214 plays a 32-sample cycle at about 518 Hz (PAL clock).
    EXPECT_NEAR(DominantFrequency(a.channel(0, 4410, 44100), a.rate), 518.0, 518 * 0.03);
}

TEST(FormatsByteGenerated, DsdFilesPlayTheirTone) {
    TempDir dir;
    for (const char* name : {"tone.dsf", "tone.dff"}) {
        const std::string path = dir.file(name);
        ASSERT_TRUE(std::string(name).ends_with(".dsf") ? WriteDsf(path, 440, 1.5) : WriteDff(path, 440, 1.5));
        OfflinePlayer player;
        ASSERT_TRUE(tav::OpenMedia(path)) << name;
        EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 1.5, 0.02) << name;
        Audio a = player.render(5);
        EXPECT_NEAR(a.seconds(), 1.5, 0.05) << name;
        EXPECT_NEAR(DominantFrequency(a.channel(0, 4410), a.rate), 440.0, 440 * 0.02) << name;
        EXPECT_GT(Rms(a.channel(0, 4410)), 0.05) << name;
    }
}

TEST(FormatsMidi, RendersWithTheConfiguredSoundFontWithAndWithoutSinc) {
    TempDir dir;
    const std::string path = dir.file("tune.mid");
    // Eight quarter notes at 120 BPM: 4 s.
    // Ocarina: a nearly pure tone, so the strongest frequency is the note's.
    ASSERT_TRUE(WriteMidi(path, {{60, 480}, {62, 480}, {64, 480}, {65, 480}, {67, 480}, {69, 480}, {71, 480}, {72, 480}}, 79));
    for (bool sinc : {false, true}) {
        OfflinePlayer player;
        tav::Settings().midi.SoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
        tav::Settings().midi.SincInterp = sinc;
        tav::FreeAudioEngine();
        ASSERT_TRUE(tav::StartAudioEngineWithoutOutput());
        ASSERT_TRUE(tav::OpenMedia(path)) << "sinc " << sinc;
        EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 4.0, 0.01);
        Audio a = player.render(10);
        EXPECT_TRUE(player.ended());
        EXPECT_GE(a.seconds(), 4.0);
        EXPECT_LE(a.seconds(), 7.0);  // release tails, then the end
        EXPECT_GT(Rms(a.channel(0, 0, 44100 * 4)), 0.02) << "sinc " << sinc;
        // The first note is middle C (261.6 Hz).
        EXPECT_NEAR(DominantFrequency(a.channel(0, 2000, 20000), a.rate), 261.6, 261.6 * 0.03);
    }
}

TEST(FormatsMidi, SeekLandsOnTheRequestedNote) {
    TempDir dir;
    const std::string path = dir.file("two.mid");
    // Two seconds of A4 (440 Hz), then two seconds of A5 (880 Hz).
    ASSERT_TRUE(WriteMidi(path, {{69, 1920}, {81, 1920}}, 79));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(path));
    tav::GetTempoProcessor()->seek(2.5);
    EXPECT_NEAR(tav::GetTempoProcessor()->getPosition(), 2.5, 0.01);
    Audio a = player.render(1.0);
    EXPECT_NEAR(DominantFrequency(a.channel(0, 4410), a.rate), 880.0, 880 * 0.03);
}

}  // namespace
