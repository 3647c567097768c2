// Which command-line arguments count, and the hand-over decision.
#include <gtest/gtest.h>
#include <unistd.h>

#include "AppTestUtil.h"
#include "app/Arguments.h"
#include "playlist/Playlist.h"

namespace {

TEST(Arguments, OnlyExistingFilesAndFoldersCountAndBecomeAbsolute) {
    tavtest::TempDir dir;
    tavtest::WriteFile(dir.file("a.mp3"), "x");
    tavtest::WriteFile(dir.file("b.ogg"), "x");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const char* argv[] = {"tavrolune", "a.mp3", "missing.mp3", "./b.ogg", dir.path().c_str(),
                          "http://example.invalid/stream", ""};
    const auto files = tav::ExistingArguments(7, argv);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(files, (std::vector<std::string>{dir.file("a.mp3"), dir.file("b.ogg"), dir.path()}));
}

TEST(Arguments, TheProgramNameIsNeverAFile) {
    tavtest::TempDir dir;
    const std::string self = dir.file("tavrolune");
    tavtest::WriteFile(self, "x");
    const char* argv[] = {self.c_str()};
    EXPECT_TRUE(tav::ExistingArguments(1, argv).empty());
}

TEST(Arguments, HandOverUnlessSeveralInstancesRunWithoutFiles) {
    struct Case {
        bool allowMultiple, anyFile, handOver;
    };
    const Case cases[] = {{false, false, true}, {false, true, true}, {true, true, true}, {true, false, false}};
    for (const Case& c : cases)
        EXPECT_EQ(tav::ShouldHandOver(c.allowMultiple, c.anyFile), c.handOver) << c.allowMultiple << c.anyFile;
}

TEST(Arguments, AllowMultipleInstancesIsReadFromTheFileAlone) {
    tavtest::TempDir dir;
    struct Case {
        const char* content;  // nullptr: no file
        bool allowed;
    };
    const Case cases[] = {
        {nullptr, false},
        {"[Playback]\nAllowMultipleInstances=1\n", true},
        {"[Playback]\nAllowMultipleInstances=0\n", false},
        {"[Playback]\nAllowMultipleInstances=yes\n", false},  // not a number reads as 0
        {"[Advanced]\nAllowMultipleInstances=1\n", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.file("t" + std::to_string(n++) + ".ini");
        if (c.content) tavtest::WriteFile(path, c.content);
        EXPECT_EQ(tav::ReadAllowMultipleInstances(path), c.allowed) << (c.content ? c.content : "(none)");
    }
}

TEST(Arguments, CommandLineFilesAreAppendedInOrderWithoutPlaying) {
    tav::ThePlaylist() = tav::Playlist{};
    tav::ThePlaylist().entries = {"/already/there.mp3"};
    tav::AddCommandLineFiles({"/x/one.mp3", "/x/two.flac"});
    EXPECT_EQ(tav::ThePlaylist().entries,
              (std::vector<std::string>{"/already/there.mp3", "/x/one.mp3", "/x/two.flac"}));
    EXPECT_EQ(tav::ThePlaylist().current, -1);
    tav::ThePlaylist() = tav::Playlist{};
}

}  // namespace
