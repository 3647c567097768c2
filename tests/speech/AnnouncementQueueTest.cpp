// The announcement queue, driven through a pumped message queue and a fake
// output that records what it was asked to say.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Posting.h"
#include "speech/AnnouncementQueue.h"
#include "speech/ScreenReaderOutput.h"

namespace {

using tav::AnnouncementQueue;

class QueuedPoster : public tav::Poster {
public:
    void post(tav::PostedMessage m) override {
        std::lock_guard g(lock);
        messages.push_back(std::move(m));
    }
    std::mutex lock;
    std::deque<tav::PostedMessage> messages;
};

class RecordingOutput : public tav::SpeechOutput {
public:
    bool speak(const std::string& text, bool interrupt) override {
        calls.push_back(std::string("speak ") + (interrupt ? "1 " : "0 ") + text);
        return true;
    }
    bool stop() override {
        calls.push_back("stop");
        return true;
    }
    std::vector<std::string> calls;
};

enum class Op { Init, Speak, SpeakNull, Pump, Shutdown, DropPoster };

struct Step {
    Op op;
    std::string text = {};
    bool interrupt = false;
};

struct QueueCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> calls;  // what the output is asked, in order
    size_t posts;                    // messages 1025 posted in all
};

class AnnouncementQueueCases : public testing::TestWithParam<QueueCase> {
protected:
    void SetUp() override { tav::SetPoster(&poster); }
    void TearDown() override { tav::SetPoster(nullptr); }
    QueuedPoster poster;
};

TEST_P(AnnouncementQueueCases, SpeaksWhatIsPending) {
    const QueueCase& c = GetParam();
    RecordingOutput output;
    AnnouncementQueue queue(&output);
    size_t posts = 0;
    for (const Step& s : c.steps) {
        switch (s.op) {
        case Op::Init: EXPECT_TRUE(queue.init()); break;
        // Producers are worker threads; the test thread plays the UI thread.
        case Op::Speak: std::thread([&] { queue.speak(s.text, s.interrupt); }).join(); break;
        case Op::SpeakNull: std::thread([&] { queue.speak(static_cast<const char*>(nullptr), s.interrupt); }).join(); break;
        case Op::Pump:
            while (!poster.messages.empty()) {
                tav::PostedMessage m = std::move(poster.messages.front());
                poster.messages.pop_front();
                EXPECT_EQ(m.id, tav::kMsgAnnounce);
                EXPECT_EQ(m.wParam, 0u);
                EXPECT_EQ(m.lParam, 0);
                ++posts;
                queue.drain();
            }
            break;
        case Op::Shutdown: queue.shutdown(); break;
        case Op::DropPoster: tav::SetPoster(nullptr); break;
        }
    }
    EXPECT_EQ(output.calls, c.calls);
    EXPECT_EQ(posts + poster.messages.size(), c.posts);
}

const Step kInit{Op::Init}, kPump{Op::Pump}, kShutdown{Op::Shutdown};
Step Say(std::string t, bool interrupt = false) { return {Op::Speak, std::move(t), interrupt}; }

INSTANTIATE_TEST_SUITE_P(
    Table, AnnouncementQueueCases,
    testing::Values(
        QueueCase{"ThreeTextsOneUtterance", {kInit, Say("A"), Say("B"), Say("C"), kPump}, {"speak 0 A, B, C"}, 3},
        QueueCase{"OldestFlagGovernsNoStop", {kInit, Say("Paused"), Say("Next", true), kPump},
                  {"speak 0 Paused, Next"}, 2},
        QueueCase{"OldestFlagGovernsStop", {kInit, Say("X", true), Say("Y"), kPump}, {"stop", "speak 1 X, Y"}, 2},
        QueueCase{"InterruptStopsFirst", {kInit, Say("X", true), kPump}, {"stop", "speak 1 X"}, 1},
        QueueCase{"EmptyFirstNoLeadingSeparator", {kInit, Say(""), Say("B"), kPump}, {"speak 0 B"}, 2},
        QueueCase{"EmptyLastKeepsSeparator", {kInit, Say("A"), Say(""), kPump}, {"speak 0 A, "}, 2},
        QueueCase{"OnlyEmptyTextsSpeakNothing", {kInit, Say("", true), Say(""), kPump}, {}, 2},
        QueueCase{"NullTextIsEmpty", {kInit, {Op::SpeakNull}, Say("B"), kPump}, {"speak 0 B"}, 2},
        QueueCase{"InvalidUtf8IsEmpty", {kInit, Say("\xff\xfe"), Say("Caf\xc3\xa9"), kPump}, {"speak 0 Caf\xc3\xa9"}, 2},
        QueueCase{"EachBatchSpokenSeparately", {kInit, Say("A"), kPump, Say("B", true), kPump},
                  {"speak 0 A", "stop", "speak 1 B"}, 2},
        QueueCase{"BeforeInitNothingQueued", {Say("A"), kInit, kPump}, {}, 0},
        QueueCase{"NoMainWindowNothingQueued", {kInit, {Op::DropPoster}, Say("A"), kPump}, {}, 0},
        QueueCase{"AfterShutdownNothingQueued", {kInit, kShutdown, Say("A"), kPump}, {"stop"}, 0},
        QueueCase{"PendingDiscardedAtShutdown", {kInit, Say("A"), kShutdown, kInit, kPump}, {"stop"}, 1},
        QueueCase{"DrainAfterShutdownDoesNothing", {kInit, Say("A"), kShutdown, kPump}, {"stop"}, 1},
        QueueCase{"ShutdownWithoutInitStopsNothing", {kShutdown, kInit, Say("A"), kPump}, {"speak 0 A"}, 1},
        QueueCase{"InitAgainAfterShutdown", {kInit, kShutdown, kInit, Say("A"), kPump}, {"stop", "speak 0 A"}, 1}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace

namespace {

// Producers on several threads while the UI thread drains: every text is
// spoken exactly once and one message is posted per text.
TEST(AnnouncementQueue, ConcurrentProducersLoseNothing) {
    QueuedPoster poster;
    tav::SetPoster(&poster);
    RecordingOutput output;
    AnnouncementQueue queue(&output);
    queue.init();
    constexpr int kThreads = 4, kEach = 200;
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t)
        producers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) queue.speak("t" + std::to_string(t) + "-" + std::to_string(i), false);
        });
    size_t drained = 0;
    auto pump = [&] {
        std::deque<tav::PostedMessage> batch;
        {
            std::lock_guard g(poster.lock);
            batch.swap(poster.messages);
        }
        for (size_t i = 0; i < batch.size(); ++i) queue.drain();
        drained += batch.size();
    };
    while (drained < kThreads * kEach) pump();
    for (auto& p : producers) p.join();
    pump();
    tav::SetPoster(nullptr);

    std::multiset<std::string> spoken;
    for (const std::string& call : output.calls) {
        ASSERT_EQ(call.rfind("speak 0 ", 0), 0u) << call;
        std::string rest = call.substr(8);
        for (size_t pos = 0;;) {
            size_t comma = rest.find(", ", pos);
            spoken.insert(rest.substr(pos, comma - pos));
            if (comma == std::string::npos) break;
            pos = comma + 2;
        }
    }
    EXPECT_EQ(drained, static_cast<size_t>(kThreads * kEach));
    ASSERT_EQ(spoken.size(), static_cast<size_t>(kThreads * kEach));
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(spoken.count("t" + std::to_string(t) + "-" + std::to_string(i)), 1u);
}

}  // namespace
