// The log file: line format, start and stop lines, rotation, a folder that
// disappears.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <thread>

#include "AppTestUtil.h"
#include "app/Log.h"

namespace {

class Log : public ::testing::Test {
protected:
    std::string folder() const { return dir.file("state/tavrolune"); }
    std::string log() const { return folder() + "/tavrolune.log"; }
    std::string old() const { return log() + ".old"; }

    tavtest::TempDir dir;
    tavtest::ScopedEnv state{"XDG_STATE_HOME", dir.file("state")};
};

const std::regex kLine(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] \[([A-Z]+)\] ([^\r\n]*)\r\n)");

std::vector<std::pair<std::string, std::string>> Lines(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t consumed = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), kLine), end; it != end; ++it) {
        EXPECT_EQ(static_cast<size_t>(it->position()), consumed) << "unexpected bytes in the log";
        consumed += static_cast<size_t>(it->length());
        out.emplace_back((*it)[1], (*it)[2]);
    }
    EXPECT_EQ(consumed, text.size());
    return out;
}

TEST_F(Log, StartAndStopLinesInTheLineFormat) {
    EXPECT_EQ(tav::LogFilePath(), log());
    tav::StartLog();
    tav::WriteLog("YTDLP", "héllo wörld");
    tav::StopLog();
    tav::WriteLog("LATE", "after stop");  // dropped
    const auto lines = Lines(tavtest::ReadFile(log()));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"INIT", "Tavrolune logger started"}, {"YTDLP", "héllo wörld"}, {"EXIT", "Tavrolune logger stopped"}};
    EXPECT_EQ(lines, expected);
}

TEST_F(Log, ALargeLogBecomesThePreviousOneAtStart) {
    std::filesystem::create_directories(folder());
    tavtest::WriteFile(old(), "older rotation\r\n");
    const std::string big(2 * 1024 * 1024, 'x');
    tavtest::WriteFile(log(), big);
    tav::StartLog();
    tav::StopLog();
    EXPECT_EQ(tavtest::ReadFile(old()), big);  // replaces the older one
    const auto lines = Lines(tavtest::ReadFile(log()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, "INIT");
}

TEST_F(Log, RotationHappensOnlyAboveTheLimit) {
    std::filesystem::create_directories(folder());
    const std::string atLimit(0xFFFFF, 'x');  // 1 048 575 bytes: not larger than the limit
    tavtest::WriteFile(log(), atLimit);
    tav::StartLog();
    EXPECT_FALSE(std::filesystem::exists(old()));
    tav::WriteLog("TEST", "one more");  // now above: the next line rotates
    tav::StopLog();
    EXPECT_EQ(tavtest::ReadFile(old()).size(), 0xFFFFFu + std::string("[2000-01-01 00:00:00] [INIT] Tavrolune logger started\r\n").size());
    const auto lines = Lines(tavtest::ReadFile(log()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, "TEST");
}

TEST_F(Log, ARemovedFolderDropsLinesWithoutFailing) {
    tav::StartLog();
    std::filesystem::remove_all(folder());
    tav::WriteLog("TEST", "nowhere to go");
    tav::StopLog();
    EXPECT_FALSE(std::filesystem::exists(folder()));
}

TEST_F(Log, LinesFromManyThreadsStayWhole) {
    tav::StartLog();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) tav::WriteLog("T" + std::string(1, char('A' + t)), std::string(200, 'a' + t));
        });
    for (auto& th : threads) th.join();
    tav::StopLog();
    EXPECT_EQ(Lines(tavtest::ReadFile(log())).size(), 202u);
}

}  // namespace
