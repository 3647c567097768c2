// The capture driver that end-to-end tests listen through.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/Fixtures.h"
#include "speech/Drivers.h"
#include "speech/ScreenReaderOutput.h"

namespace {

class CaptureDriver : public testing::Test {
protected:
    void SetUp() override { setenv(tav::CaptureDriver::kVariable, log.c_str(), 1); }
    void TearDown() override { unsetenv(tav::CaptureDriver::kVariable); }
    tavtest::TempDir dir;
    std::string log = dir.file("speech.log");
};

TEST_F(CaptureDriver, WritesOneLinePerCall) {
    tav::CaptureDriver d;
    EXPECT_TRUE(d.isRunning());
    EXPECT_TRUE(d.speak("Paused", false));
    // Each line is in the file as soon as the call returns.
    EXPECT_EQ(tavtest::ReadFile(log), "speak\t0\tPaused\n");
    EXPECT_TRUE(d.stop());
    EXPECT_TRUE(d.speak("Artist - Title\nsecond line\r\n", true));
    EXPECT_TRUE(d.speak("", false));
    EXPECT_EQ(tavtest::ReadFile(log),
              "speak\t0\tPaused\nstop\nspeak\t1\tArtist - Title second line  \nspeak\t0\t\n");
}

TEST_F(CaptureDriver, NotRunningWithoutTheVariable) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        if (value)
            setenv(tav::CaptureDriver::kVariable, value, 1);
        else
            unsetenv(tav::CaptureDriver::kVariable);
        tav::CaptureDriver d;
        EXPECT_FALSE(d.isRunning());
        EXPECT_FALSE(d.speak("x", false));
    }
}

TEST_F(CaptureDriver, UnwritableFileIsAFailure) {
    setenv(tav::CaptureDriver::kVariable, dir.file("missing/speech.log").c_str(), 1);
    tav::CaptureDriver d;
    EXPECT_FALSE(d.speak("x", false));
    EXPECT_FALSE(d.stop());
}

// The program's own table puts the capture driver first.
TEST_F(CaptureDriver, FirstRowOfTheDefaultTable) {
    tav::ScreenReaderOutput output(tav::MakeDefaultDrivers());
    EXPECT_TRUE(output.speak("Hello", true));
    EXPECT_STREQ(tav::MakeDefaultDrivers().front()->name(), "Capture");
    EXPECT_EQ(tavtest::ReadFile(log), "speak\t1\tHello\n");
}

}  // namespace
