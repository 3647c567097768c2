// Driver dispatch over a table of fake drivers and a clock the test moves.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "speech/ScreenReaderOutput.h"

namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

struct Log {
    std::vector<std::string> lines;
};

class FakeDriver : public tav::ScreenReaderDriver {
public:
    FakeDriver(std::string name, Log& log) : name_(std::move(name)), log_(log) {}
    const char* name() const override { return name_.c_str(); }
    bool isRunning() override {
        log_.lines.push_back(name_ + ".running");
        return running;
    }
    bool speak(const std::string& text, bool interrupt) override {
        log_.lines.push_back(name_ + ".speak " + (interrupt ? "1 " : "0 ") + text);
        return accepts;
    }
    bool stop() override {
        log_.lines.push_back(name_ + ".stop");
        return accepts;
    }
    void unload() override { log_.lines.push_back(name_ + ".unload"); }

    bool running = false;
    bool accepts = true;

private:
    std::string name_;
    Log& log_;
};

class Dispatch : public testing::Test {
protected:
    // Rows A, B, C in priority order.
    void SetUp() override {
        tav::DriverTable table;
        for (const char* n : {"A", "B", "C"}) {
            auto d = std::make_unique<FakeDriver>(n, log);
            rows.push_back(d.get());
            table.push_back(std::move(d));
        }
        output = std::make_unique<tav::ScreenReaderOutput>(std::move(table), [this] { return now; });
    }
    std::vector<std::string> take() {
        auto l = std::move(log.lines);
        log.lines.clear();
        return l;
    }
    // The first successful call re-detects at once (the last reset is at time
    // zero); this settles the output on its remembered driver.
    void settle() {
        ASSERT_TRUE(output->speak("settle", false));
        ASSERT_TRUE(output->speak("settle", false));
        take();
    }

    Log log;
    std::vector<FakeDriver*> rows;
    Time now = Time{} + 1000s;
    std::unique_ptr<tav::ScreenReaderOutput> output;
};

using Lines = std::vector<std::string>;

TEST_F(Dispatch, FirstRunningRowWins) {
    rows[1]->running = rows[2]->running = true;
    EXPECT_TRUE(output->speak("Hello", true));
    EXPECT_EQ(take(), (Lines{"A.running", "B.running", "B.speak 1 Hello"}));
}

TEST_F(Dispatch, NoReaderRunning) {
    EXPECT_FALSE(output->speak("Hello", false));
    EXPECT_FALSE(output->stop());
    EXPECT_EQ(take(), (Lines{"A.running", "B.running", "C.running", "A.running", "B.running", "C.running"}));
    EXPECT_EQ(output->currentEngine(), -1);
}

TEST_F(Dispatch, RememberedDriverIsUsedWithoutDetection) {
    rows[1]->running = true;
    settle();
    EXPECT_EQ(output->currentEngine(), 1);
    rows[0]->running = true;  // a reader of higher priority starts: not yet noticed
    EXPECT_TRUE(output->stop());
    EXPECT_TRUE(output->speak("Two", false));
    EXPECT_EQ(take(), (Lines{"B.stop", "B.speak 0 Two"}));
}

TEST_F(Dispatch, ReaderGoneIsUnloadedAndNextSpeaksInSameCall) {
    rows[0]->running = rows[2]->running = true;
    settle();
    EXPECT_STREQ(output->currentEngineName(), "A");
    rows[0]->running = false;
    rows[0]->accepts = false;
    EXPECT_TRUE(output->speak("Moved", false));
    EXPECT_EQ(take(), (Lines{"A.speak 0 Moved", "A.running", "A.unload", "A.running", "B.running",
                             "C.running", "C.speak 0 Moved"}));
    EXPECT_EQ(output->currentEngine(), 2);
}

TEST_F(Dispatch, FailedCallToRunningReaderIsNotRetried) {
    rows[0]->running = rows[1]->running = true;
    settle();
    rows[0]->accepts = false;
    EXPECT_FALSE(output->speak("Lost", true));
    EXPECT_EQ(take(), (Lines{"A.speak 1 Lost", "A.running"}));
    EXPECT_EQ(output->currentEngine(), 0);  // stays current
}

TEST_F(Dispatch, RedetectsAfterTenSeconds) {
    rows[1]->running = true;
    // First call: detection, then the reset at once (last reset at zero).
    EXPECT_TRUE(output->speak("1", false));
    EXPECT_EQ(output->currentEngine(), -1);
    now += 1s;
    EXPECT_TRUE(output->speak("2", false));  // detects B; 1 s since the reset
    EXPECT_EQ(output->currentEngine(), 1);
    take();
    rows[0]->running = true;
    now += 8999ms;  // 9.999 s since the reset: B is kept
    EXPECT_TRUE(output->speak("3", false));
    EXPECT_EQ(output->currentEngine(), 1);
    now += 1ms;  // 10 s: this call still goes to B, then detection is due
    EXPECT_TRUE(output->speak("4", false));
    EXPECT_EQ(output->currentEngine(), -1);
    EXPECT_TRUE(output->speak("5", false));
    EXPECT_EQ(take(), (Lines{"B.speak 0 3", "B.speak 0 4", "A.running", "A.speak 0 5"}));
    EXPECT_EQ(output->currentEngine(), 0);
}

TEST_F(Dispatch, ReaderFlickeringBetweenRunningAndGoneDoesNotLoop) {
    // Answers "running" at detection and "gone" right after each refusal.
    struct Flicker : FakeDriver {
        using FakeDriver::FakeDriver;
        bool isRunning() override { return (flip = !flip); }
        bool flip = false;
    };
    Log flog;
    tav::DriverTable table;
    table.push_back(std::make_unique<Flicker>("F", flog));
    static_cast<FakeDriver*>(table[0].get())->accepts = false;
    tav::ScreenReaderOutput out(std::move(table), [this] { return now; });
    EXPECT_FALSE(out.speak("x", false));
}

}  // namespace
