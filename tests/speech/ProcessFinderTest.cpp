// The process finder against processes the test starts itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/Fixtures.h"
#include "speech/Drivers.h"
#include "speech/ProcessFinder.h"

namespace {

// Just after exec the kernel still shows an empty command line for a moment.
void WaitForCommandLine(int pid) {
    for (int i = 0; i < 500; ++i) {
        if (!tavtest::ReadFile("/proc/" + std::to_string(pid) + "/cmdline").empty()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no command line for " << pid;
}

struct FinderCase {
    const char* name;
    bool copyExecutable;  // run a copy of sleep called TavTestOrcaLike
    std::vector<std::string> extraArgs;
    const char* search;
};

class ProcessFinderCases : public testing::TestWithParam<FinderCase> {};

TEST_P(ProcessFinderCases, FindsTheSpawnedProcess) {
    const FinderCase& c = GetParam();
    tavtest::TempDir dir;
    std::vector<std::string> argv;
    std::string expectedPath;
    if (c.copyExecutable) {
        expectedPath = dir.file("TavTestOrcaLike");
        std::filesystem::copy_file("/bin/sleep", expectedPath);
        std::filesystem::permissions(expectedPath, std::filesystem::perms::owner_all);
        argv = {expectedPath, "30"};
    } else {
        // Like a screen reader written in Python: the name is only on the
        // command line, the executable is the interpreter.
        expectedPath = std::filesystem::canonical(tavtest::Python()).string();
        argv = {tavtest::Python(), "-c", "import time; time.sleep(30)"};
    }
    argv.insert(argv.end(), c.extraArgs.begin(), c.extraArgs.end());
    tavtest::Child child(argv);
    ASSERT_GT(child.pid(), 0);
    WaitForCommandLine(child.pid());

    std::string path;
    EXPECT_EQ(tav::getProcessHandle(c.search, &path), child.pid());
    EXPECT_EQ(path, expectedPath);
    EXPECT_TRUE(tav::FindProcess(c.search));
    EXPECT_TRUE(tav::SpeechDispatcherDriver("Test", c.search).isRunning());

    child.stop();
    EXPECT_FALSE(tav::FindProcess(c.search));
    EXPECT_EQ(tav::getProcessHandle(c.search), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProcessFinderCases,
    testing::Values(FinderCase{"ExecutablePathAnyCase", true, {}, "tavtestorcalike"},
                    FinderCase{"CommandLine", false, {"/usr/share/TavTestFenrirLike/fenrir"}, "TAVTESTFENRIRLIKE"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ProcessFinder, MissingNameIsNotFound) {
    std::string path = "unchanged";
    EXPECT_EQ(tav::getProcessHandle("tavtest-no-such-process-7f3a", &path), 0);
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(tav::FindProcess("tavtest-no-such-process-7f3a"));
    EXPECT_FALSE(tav::SpeechDispatcherDriver("Test", "tavtest-no-such-process-7f3a").isRunning());
}

// This program's own command line never counts: a file called "orca.mp3"
// passed to the player must not look like a running Orca.
TEST(ProcessFinder, OwnProcessIsSkipped) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_NE(tav::getProcessHandle(self), getpid());
}

}  // namespace
