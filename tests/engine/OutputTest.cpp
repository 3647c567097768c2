// The real output path: SDL's disk driver receives exactly what would be
// heard, in real time, and a machine without sound still gets an output.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Fixtures.h"
#include "Player.h"
#include "Wav.h"
#include "app/Log.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "platform/Posting.h"
#include "storage/AppSettings.h"

using namespace tavtest;
namespace eng = tav::engine;

namespace {

class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvVar() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(Output, DiskDriverReceivesTheTrackAndTheEndIsReported) {
    TempDir dir;
    ASSERT_TRUE(MakeTone(dir.file("t.ogg"), 440, 1.0, {"-c:a", "libvorbis"}));
    const std::string raw = dir.file("out.raw");
    EnvVar drv("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", raw.c_str());
    tav::Settings() = tav::AppSettings{};
    QueuePoster poster;
    RecordingUi ui;
    tav::SetPoster(&poster);
    tav::SetUiServices(&ui);
    ASSERT_TRUE(tav::StartAudioEngine());
    EXPECT_FALSE(eng::UsingDummyDriver());
    ASSERT_TRUE(tav::OpenMedia(dir.file("t.ogg")));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (poster.count(tav::kMsgCommand, 204) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(poster.count(tav::kMsgCommand, 204), 1);
    EXPECT_EQ(eng::ChannelIsActive(tav::Session().playStream), eng::kStopped);
    tav::FreeAudioEngine();
    tav::SetPoster(nullptr);
    tav::SetUiServices(nullptr);

    Audio a;
    ASSERT_TRUE(ReadRawFloat(raw, 44100, 2, &a));
    const size_t loud = FirstLoudFrame(a, 0.02);
    ASSERT_LT(loud, a.frames());
    const size_t quiet = FirstQuietFrame(a, 0.001, loud);
    // The whole second, without gaps.
    EXPECT_NEAR(static_cast<double>(quiet - loud) / 44100, 1.0, 0.03);
    EXPECT_NEAR(DominantFrequency(a.channel(0, loud, quiet), 44100), 440.0, 9.0);
}

TEST(Output, WithoutASoundDeviceTheDummyOutputIsUsedAndLogged) {
    TempDir dir;
    // No driver named and none that can open a device here: the ALSA default
    // is pointed at a card that does not exist.
    EnvVar drv("SDL_AUDIODRIVER", nullptr), card("ALSA_CARD", "TavroluneNoSuchCard"),
        pulse("PULSE_SERVER", "unix:/nonexistent"), state("XDG_STATE_HOME", dir.path().c_str());
    tav::StartLog();
    tav::Settings() = tav::AppSettings{};
    RecordingUi ui;
    tav::SetUiServices(&ui);
    ASSERT_TRUE(tav::StartAudioEngine());
    const bool dummy = eng::UsingDummyDriver();
    tav::FreeAudioEngine();
    tav::SetUiServices(nullptr);
    tav::StopLog();
    EXPECT_TRUE(ui.boxes.empty());
    if (!dummy) GTEST_SKIP() << "this machine has a sound device";
    const std::string log = ReadFile(tav::LogFilePath());
    EXPECT_NE(log.find("dummy output"), std::string::npos) << log;
}

TEST(Output, DeviceListStartsAtOneAndNamesTheDefault) {
    EnvVar drv("SDL_AUDIODRIVER", "dummy");
    eng::DeviceInfo info;
    ASSERT_TRUE(eng::GetDeviceInfo(1, &info));
    EXPECT_FALSE(info.name.empty());
    EXPECT_TRUE(info.enabled);
    int defaults = 0, count = 0;
    for (int i = 1; eng::GetDeviceInfo(i, &info); ++i, ++count) defaults += info.isDefault;
    EXPECT_EQ(defaults, 1);
    EXPECT_FALSE(eng::GetDeviceInfo(count + 1, &info));
    EXPECT_EQ(tav::FindDeviceByName("No Such Device"), -1);
}

}  // namespace
