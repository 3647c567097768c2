// A save that cannot be written, or that is killed halfway, never costs the
// user the old file; and where the file lives.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "StorageTestUtil.h"
#include "app/Log.h"
#include "platform/Paths.h"

namespace {

// Run as a copy of this executable: print the settings path and leave.
const bool kPathProbe = [] {
    if (std::getenv("TAVROLUNE_TEST_PRINT_SETTINGS_PATH")) {
        std::printf("%s\n", tav::SettingsFilePath().c_str());
        std::fflush(stdout);
        std::_Exit(0);
    }
    return true;
}();

class SaveSafety : public tavtest::StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        stateDir_ = dir_.file("state");
        ASSERT_EQ(mkdir(stateDir_.c_str(), 0777), 0);
        chmod(stateDir_.c_str(), 0777);  // written by the unprivileged child too
        setenv("XDG_STATE_HOME", stateDir_.c_str(), 1);
        tav::StartLog();
    }
    void TearDown() override {
        tav::StopLog();
        unsetenv("XDG_STATE_HOME");
        StorageTest::TearDown();
    }
    std::string logText() const { return tavtest::ReadFile(stateDir_ + "/tavrolune/tavrolune.log"); }

    std::string stateDir_;
};

TEST_F(SaveSafety, AVanishedFolderIsReportedAndLogged) {
    const std::string gone = dir_.file("gone");
    ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
    tav::UseSettingsFile(gone + "/Tavrolune.ini");
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    EXPECT_FALSE(tav::SaveSettings());
    EXPECT_FALSE(tav::SaveHotkeys());
    EXPECT_FALSE(tav::SavePlaylistState());
    const std::string log = logText();
    EXPECT_NE(log.find("[SETTINGS] Settings not saved: cannot write " + gone + "/Tavrolune.ini"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("[SETTINGS] Hotkeys not saved"), std::string::npos) << log;
}

TEST_F(SaveSafety, AReadOnlyFolderKeepsTheOldFile) {
    // Root ignores folder permissions: the save runs in a child that gives up
    // its privileges first.
    const std::string folder = dir_.file("ro");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/Tavrolune.ini";
    const std::string old = "[Playback]\nVolume=33\n[Presets]\nCount=0\n";
    tavtest::WriteFile(path, old);
    chmod(path.c_str(), 0644);
    chmod(dir_.path().c_str(), 0755);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    tav::UseSettingsFile(path);
    tav::LoadSettings();
    tav::Settings().playback.Volume = 0.9f;
    chmod((stateDir_ + "/tavrolune").c_str(), 0777);
    chmod((stateDir_ + "/tavrolune/tavrolune.log").c_str(), 0666);

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        _exit(tav::SaveSettings() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must report its failure";
    EXPECT_EQ(tavtest::ReadFile(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_NE(logText().find("[SETTINGS] Settings not saved: cannot write " + path), std::string::npos)
        << logText();
    chmod(folder.c_str(), 0755);
}

TEST_F(SaveSafety, AnUnreadableFileIsNotReplaced) {
    // Replacing it would drop every section we do not own.
    ASSERT_EQ(mkdir(ini_.c_str(), 0755), 0);  // something that is no file
    EXPECT_FALSE(tav::SaveSettings());
    EXPECT_TRUE(std::filesystem::is_directory(ini_));
    EXPECT_NE(logText().find("cannot read " + ini_), std::string::npos) << logText();
}

TEST_F(SaveSafety, ASaveKilledMidwayLeavesACompleteFile) {
    tav::IniFile a, b;
    for (int i = 0; i < 4000; ++i) {
        a.setString("Playlist", "Track" + std::to_string(i), "/music/album a/" + std::to_string(i) + ".mp3");
        b.setString("Playlist", "Track" + std::to_string(i), "/music/album bb/" + std::to_string(i) + ".flac");
    }
    a.setString("State", "Version", "a");
    b.setString("State", "Version", "b");
    const std::string textA = a.serialize(), textB = b.serialize();
    ASSERT_TRUE(a.save(ini_));

    for (int round = 0; round < 8; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (;;) {
                if (!b.save(ini_) || !a.save(ini_)) _exit(1);
            }
        }
        usleep(static_cast<useconds_t>(3000 + round * 7000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        const std::string now = tavtest::ReadFile(ini_);
        EXPECT_TRUE(now == textA || now == textB) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST(SettingsPath, InstalledTxtChoosesTheConfigFolder) {
    tavtest::TempDir dir;
    const std::string exe = dir.file("tavrolune-probe");
    std::filesystem::copy_file("/proc/self/exe", exe);
    chmod(exe.c_str(), 0755);
    const std::string config = dir.file("config");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("TAVROLUNE_TEST_PRINT_SETTINGS_PATH", "1", 1);

    std::string portable, installed;
    EXPECT_EQ(tavtest::Run({exe}, &portable), 0);
    tavtest::WriteFile(dir.file("installed.txt"), "");
    EXPECT_EQ(tavtest::Run({exe}, &installed), 0);
    unsetenv("TAVROLUNE_TEST_PRINT_SETTINGS_PATH");
    unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(portable, dir.path() + "/Tavrolune.ini\n");
    EXPECT_EQ(installed, config + "/tavrolune/Tavrolune.ini\n");
    EXPECT_TRUE(std::filesystem::is_directory(config + "/tavrolune"));
}

}  // namespace
