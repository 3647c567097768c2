#pragma once
// Shared set-up for the storage tests: a private settings file and the
// process-wide records back at their defaults.
#include <gtest/gtest.h>

#include <string>

#include "support/Fixtures.h"
#include "playlist/Playlist.h"
#include "storage/Settings.h"

namespace tavtest {

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        tav::Settings() = tav::AppSettings{};
        tav::StoredDsp() = tav::StoredDspSettings{};
        tav::TheHotkeys() = tav::HotkeyList{};
        tav::ThePlaylist() = tav::Playlist{};
        tav::TheRecentFiles() = tav::RecentFiles{};
        tav::SetPlaylistMedia({});
        ini_ = dir_.file("Tavrolune.ini");
        tav::UseSettingsFile(ini_);
    }
    void TearDown() override { tav::SetPlaylistMedia({}); }

    void writeIni(const std::string& text) { WriteFile(ini_, text); }
    std::string readIni() const { return ReadFile(ini_); }
    tav::IniFile loadIni() const {
        tav::IniFile ini;
        ini.load(ini_);
        return ini;
    }

    TempDir dir_;
    std::string ini_;
};

}  // namespace tavtest
