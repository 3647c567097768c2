// Loading the settings record (defaults, clamps, read limits), writing it back
// in the file's formats, and what a save keeps of the rest of the file.
#include <functional>
#include <string>

#include "StorageTestUtil.h"

using tav::AppSettings;
using tav::IniFile;

namespace {

AppSettings Read(const std::string& text) {
    IniFile ini;
    ini.parse(text);
    AppSettings s;
    tav::ReadSettings(ini, s);
    return s;
}

TEST(SettingsLoad, DefaultsClampsAndReplacements) {
    struct Case {
        const char* name;
        const char* ini;
        std::function<double(const AppSettings&)> get;
        double expected;
    };
    using S = const AppSettings&;
    const Case cases[] = {
        {"no file: default volume", "", [](S s) { return s.playback.Volume; }, 1.0},
        {"no file: default step", "", [](S s) { return s.playback.VolumeStep; }, 0.02},
        {"no file: default rate", "", [](S s) { return s.playback.Rate; }, 1.0},
        {"no file: default CurrentSeek", "", [](S s) { return s.movement.CurrentSeek; }, 1},
        {"volume 250 without amplify", "[Playback]\nVolume=250\nAllowAmplify=0\n",
         [](S s) { return s.playback.Volume; }, 1.0},
        {"volume 250 with amplify", "[Playback]\nVolume=250\nAllowAmplify=1\n",
         [](S s) { return s.playback.Volume; }, 2.5},
        {"volume 900 with amplify", "[Playback]\nVolume=900\nAllowAmplify=1\n",
         [](S s) { return s.playback.Volume; }, 4.0},
        {"volume step 0", "[Playback]\nVolumeStep=0\n", [](S s) { return s.playback.VolumeStep; }, 0.01},
        {"volume step 50", "[Playback]\nVolumeStep=50\n", [](S s) { return s.playback.VolumeStep; }, 0.25},
        {"tempo -80", "[Playback]\nTempo=-80\n", [](S s) { return s.playback.Tempo; }, -75},
        {"rate 0.1", "[Playback]\nRate=0.1\n", [](S s) { return s.playback.Rate; }, 0.25},
        {"pitch 20", "[Playback]\nPitch=20\n", [](S s) { return s.playback.Pitch; }, 12},
        {"pitch decimal", "[Playback]\nPitch=-3.25\n", [](S s) { return s.playback.Pitch; }, -3.25},
        {"pitch beyond float", "[Playback]\nPitch=1e300\n", [](S s) { return s.playback.Pitch; }, 12},
        {"rewind negative", "[Playback]\nRewindOnPauseMs=-40\n",
         [](S s) { return s.playback.RewindOnPauseMs; }, 0},
        {"repeat 7", "[Playback]\nRepeatMode=7\n", [](S s) { return s.playback.RepeatMode; }, 0},
        {"repeat 2", "[Playback]\nRepeatMode=2\n", [](S s) { return s.playback.RepeatMode; }, 2},
        {"non-number integer", "[Recording]\nBitrate=fast\n", [](S s) { return s.recording.Bitrate; }, 0},
        {"non-number bool", "[Playback]\nBringToFront=yes\n",
         [](S s) { return s.playback.BringToFront; }, 0},
        {"any non-zero is true", "[Playback]\nShuffle=-3\n", [](S s) { return s.playback.Shuffle; }, 1},
        {"leading digits", "[Advanced]\nBufferSize=1500ms\n", [](S s) { return s.advanced.BufferSize; }, 1500},
        {"buffer below range", "[Advanced]\nBufferSize=abc\n", [](S s) { return s.advanced.BufferSize; }, 100},
        {"update period above", "[Advanced]\nUpdatePeriod=900\n",
         [](S s) { return s.advanced.UpdatePeriod; }, 500},
        {"tempo engine 3", "[Advanced]\nTempoAlgorithm=3\n",
         [](S s) { return s.advanced.TempoAlgorithm; }, 0},
        {"EQ centre as read", "[Advanced]\nEQBassFreq=-20.5\n", [](S s) { return s.advanced.EQBassFreq; }, -20.5},
        {"filter length", "[SoundTouch]\nAAFilterLength=4\n",
         [](S s) { return s.soundTouch.AAFilterLength; }, 8},
        {"interpolation", "[SoundTouch]\nAlgorithm=5\n", [](S s) { return s.soundTouch.Algorithm; }, 2},
        {"tonality limit", "[Signalsmith]\nTonalityLimit=30000\n",
         [](S s) { return s.signalsmith.TonalityLimit; }, 20000},
        {"reverb choice", "[Effects]\nReverbAlgorithm=-1\n",
         [](S s) { return s.effects.ReverbAlgorithm; }, 0},
        {"rate step mode", "[Effects]\nRateStepMode=2\n", [](S s) { return s.effects.RateStepMode; }, 0},
        {"current effect 2, only pitch", "[Effects]\nVolume=0\nPitch=1\nTempo=0\nCurrentEffect=2\n",
         [](S s) { return s.effects.CurrentEffect; }, 1},
        {"current effect, none enabled", "[Effects]\nVolume=0\nCurrentEffect=3\n",
         [](S s) { return s.effects.CurrentEffect; }, 0},
        {"current seek 3, only 1m and 10t",
         "[Movement]\nSeek5s=0\nSeek30s=0\nSeek1m=1\nSeek10t=1\nCurrentSeek=3\n",
         [](S s) { return s.movement.CurrentSeek; }, 4},
        {"current seek 12", "[Movement]\nCurrentSeek=12\n", [](S s) { return s.movement.CurrentSeek; }, 1},
        {"current seek, none enabled", "[Movement]\nSeek5s=0\nCurrentSeek=0\n",
         [](S s) { return s.movement.CurrentSeek; }, 1},
        {"recording format", "[Recording]\nFormat=9\n", [](S s) { return s.recording.Format; }, 3},
        {"MIDI voices", "[MIDI]\nMaxVoices=0\n", [](S s) { return s.midi.MaxVoices; }, 1},
        {"remember minutes as read", "[Playback]\nRememberPosMinutes=-5\n",
         [](S s) { return s.playback.RememberPosMinutes; }, -5},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.get(Read(c.ini)), c.expected, 1e-6) << c.name;
}

TEST(SettingsLoad, TextReadLimits) {
    const std::string longText(600, 'a');
    const AppSettings s = Read("[Playback]\nDeviceName=" + longText + "\n[Downloads]\nPath=" + longText +
                              "\n[MIDI]\nSoundFont=" + longText + "\n[Video]\nVideoOutput=" + longText +
                              "\n[General]\nLanguage=english\n[YouTube]\nApiKey=" + longText +
                              "\nYtdlpPath=/somewhere/yt-dlp\n");
    EXPECT_EQ(s.playback.DeviceName.size(), 255u);
    EXPECT_EQ(s.downloads.Path.size(), 511u);
    EXPECT_EQ(s.midi.SoundFont.size(), 259u);
    EXPECT_EQ(s.video.VideoOutput.size(), 63u);
    EXPECT_EQ(s.general.Language, "english");
    EXPECT_EQ(s.youtube.ApiKey.size(), 511u);
    EXPECT_EQ(s.youtube.YtdlpPath, "");  // located afresh, never taken from the file
    EXPECT_EQ(Read("[General]\nLanguage=francais\n").general.Language, "francai");
    EXPECT_EQ(Read("[Recording]\nTemplate=  \n").recording.Template, "");
    EXPECT_EQ(Read("").recording.Template, "%Y-%m-%d_%H-%M-%S");
    EXPECT_EQ(Read("").video.VideoOutput, "gpu");
}

AppSettings Unusual() {
    AppSettings s;
    auto& p = s.playback;
    p.DeviceName = "Speakers (USB)";
    p.RewindOnPauseMs = 250;
    p.AllowAmplify = true;
    p.RememberState = true;
    p.RememberPosMinutes = 20;
    p.BringToFront = false;
    p.MinimizeToTray = false;
    p.LoadFolder = true;
    p.RegisterFileTypes = true;
    p.VolumeStep = 0.05f;
    p.ShowTitleInWindow = false;
    p.Volume = 1.75f;
    p.Pitch = -3.5f;
    p.Tempo = 33.3f;
    p.Rate = 1.5f;
    p.Shuffle = true;
    p.AutoAdvance = false;
    p.RepeatMode = 2;
    p.PlaylistFollow = false;
    p.CheckForUpdates = false;
    p.AllowMultipleInstances = true;
    s.advanced = {1200, 50, 2, true, true, 80.0, 1500.5, 9000.0};
    s.soundTouch = {false, 64, true, 40, 15, 12, true, 2};
    s.speedy.NonlinearSpeedup = false;
    s.signalsmith = {1, 8000};
    s.effects = {3, false, true, true, true, 2, 1};
    s.midi = {"/usr/share/sounds/sf2/TimGM6mb.sf2", 256, true};
    s.youtube = {"/usr/bin/yt-dlp", "KEY-123", true};
    s.downloads = {"/home/u/Podcasts", true};
    s.recording = {"/home/u/Rec", "rec_%H%M", 3, 320};
    s.speech = {true, false, false};
    auto& m = s.movement;
    m.Seek1s = true;
    m.Seek5s = false;
    m.Seek10s = true;
    m.Seek1h = true;
    m.Seek10t = true;
    m.ChapterSeek = false;
    m.CurrentSeek = 2;
    s.video = {false, "x11"};
    s.general.Language = "fr";
    return s;
}

const char* const kUnusualText =
    "[Playback]\n"
    "DeviceName=Speakers (USB)\n"
    "RewindOnPauseMs=250\n"
    "AllowAmplify=1\n"
    "RememberState=1\n"
    "RememberPosMinutes=20\n"
    "BringToFront=0\n"
    "MinimizeToTray=0\n"
    "LoadFolder=1\n"
    "RegisterFileTypes=1\n"
    "VolumeStep=5\n"
    "ShowTitleInWindow=0\n"
    "Volume=175\n"
    "Pitch=-3.5\n"
    "Tempo=33.3\n"
    "Rate=1.50\n"
    "Shuffle=1\n"
    "AutoAdvance=0\n"
    "RepeatMode=2\n"
    "PlaylistFollow=0\n"
    "CheckForUpdates=0\n"
    "AllowMultipleInstances=1\n"
    "\n[Advanced]\n"
    "BufferSize=1200\n"
    "UpdatePeriod=50\n"
    "TempoAlgorithm=2\n"
    "LegacyVolume=1\n"
    "DisableBatchDelay=1\n"
    "EQBassFreq=80.0\n"
    "EQMidFreq=1500.5\n"
    "EQTrebleFreq=9000.0\n"
    "\n[SoundTouch]\n"
    "AntiAliasFilter=0\n"
    "AAFilterLength=64\n"
    "QuickAlgorithm=1\n"
    "SequenceMs=40\n"
    "SeekWindowMs=15\n"
    "OverlapMs=12\n"
    "PreventClick=1\n"
    "Algorithm=2\n"
    "\n[Speedy]\n"
    "NonlinearSpeedup=0\n"
    "\n[Signalsmith]\n"
    "Preset=1\n"
    "TonalityLimit=8000\n"
    "\n[Effects]\n"
    "ReverbAlgorithm=3\n"
    "Volume=0\n"
    "Pitch=1\n"
    "Tempo=1\n"
    "Rate=1\n"
    "CurrentEffect=2\n"
    "RateStepMode=1\n"
    "\n[MIDI]\n"
    "SoundFont=/usr/share/sounds/sf2/TimGM6mb.sf2\n"
    "MaxVoices=256\n"
    "SincInterp=1\n"
    "\n[YouTube]\n"
    "YtdlpPath=/usr/bin/yt-dlp\n"
    "ApiKey=KEY-123\n"
    "VideoMode=1\n"
    "\n[Downloads]\n"
    "Path=/home/u/Podcasts\n"
    "OrganizeByFeed=1\n"
    "\n[Recording]\n"
    "Path=/home/u/Rec\n"
    "Template=rec_%H%M\n"
    "Format=3\n"
    "Bitrate=320\n"
    "\n[Speech]\n"
    "TrackChange=1\n"
    "Volume=0\n"
    "Effect=0\n"
    "\n[Movement]\n"
    "Seek1s=1\n"
    "Seek5s=0\n"
    "Seek10s=1\n"
    "Seek30s=0\n"
    "Seek1m=0\n"
    "Seek5m=0\n"
    "Seek10m=0\n"
    "Seek30m=0\n"
    "Seek1h=1\n"
    "Seek1t=0\n"
    "Seek5t=0\n"
    "Seek10t=1\n"
    "ChapterSeek=0\n"
    "CurrentSeek=2\n"
    "\n[Video]\n"
    "HardwareDecoding=0\n"
    "VideoOutput=x11\n"
    "\n[General]\n"
    "Language=fr\n";

TEST(SettingsWrite, EveryKeyInItsFormat) {
    IniFile ini;
    tav::WriteSettings(ini, Unusual());
    EXPECT_EQ(ini.serialize(), kUnusualText);
}

TEST(SettingsWrite, ReadingTheWrittenTextGivesTheSameText) {
    IniFile ini;
    ini.parse(kUnusualText);
    AppSettings back;
    tav::ReadSettings(ini, back);
    back.youtube.YtdlpPath = "/usr/bin/yt-dlp";  // not read back by design
    IniFile again;
    tav::WriteSettings(again, back);
    EXPECT_EQ(again.serialize(), kUnusualText);
}

TEST(SettingsWrite, PercentRounding) {
    struct Case {
        float volume, step;
        const char *volumeText, *stepText;
    };
    const Case cases[] = {{0.294f, 0.0149f, "29", "1"}, {0.296f, 0.016f, "30", "2"}, {4.0f, 0.25f, "400", "25"}};
    for (const Case& c : cases) {
        AppSettings s;
        s.playback.Volume = c.volume;
        s.playback.VolumeStep = c.step;
        IniFile ini;
        tav::WriteSettings(ini, s);
        EXPECT_EQ(ini.getString("Playback", "Volume"), c.volumeText);
        EXPECT_EQ(ini.getString("Playback", "VolumeStep"), c.stepText);
    }
}

using SettingsFile = tavtest::StorageTest;

TEST_F(SettingsFile, StepOf50IsWrittenBackAs25) {
    writeIni("[Playback]\nVolumeStep=50\n");
    tav::LoadSettings();
    ASSERT_TRUE(tav::SaveSettings());
    EXPECT_EQ(loadIni().getString("Playback", "VolumeStep"), "25");
}

TEST_F(SettingsFile, SaveKeepsWhatOthersWrote) {
    const std::string others =
        "; hand-written note\n"
        "[Playback]\n"
        "Volume=40\n"
        "FutureOption=7\n"
        "[Presets]\n"
        "Count=1\n"
        "Name0=Warm\n"
        "[Preset_Warm]\n"
        "StreamEnabled0=1\n"
        "Pitch=1.5000\n"
        "Param14=250.000000\n"
        "[Hotkeys]\n"
        "Enabled=1\n"
        "Count=1\n"
        "Hotkey0=3,80,0\n"
        "[State]\n"
        "TrackCount=1\n"
        "[Playlist]\n"
        "Track0=/music/a.mp3\n"
        "[YouTube]\n"
        "YtdlpVersion=2024.01.01\n"
        "[Plugins]\n"
        "Anything=goes\n";
    writeIni(others);
    tav::LoadSettings();
    EXPECT_FLOAT_EQ(tav::Settings().playback.Volume, 0.4f);
    ASSERT_TRUE(tav::SaveSettings());

    IniFile before, after = loadIni();
    before.parse(others);
    for (const char* section : {"Presets", "Preset_Warm", "Hotkeys", "State", "Playlist", "Plugins"}) {
        ASSERT_EQ(after.keys(section), before.keys(section)) << section;
        for (const std::string& key : before.keys(section))
            EXPECT_EQ(after.getString(section, key), before.getString(section, key)) << section << "/" << key;
    }
    EXPECT_EQ(after.getString("YouTube", "YtdlpVersion"), "2024.01.01");
    EXPECT_EQ(after.getString("Playback", "FutureOption"), "7");
    EXPECT_EQ(after.getString("Playback", "Volume"), "40");
    EXPECT_EQ(readIni().rfind("; hand-written note\n", 0), 0u);
    // Before the DSP state is loaded, a save must not invent it.
    EXPECT_FALSE(after.hasSection("DSPEffects"));
    EXPECT_FALSE(after.hasSection("RecentFiles"));
}

TEST_F(SettingsFile, DspStateAndRecentFilesAsRead) {
    writeIni(
        "[DSPEffects]\nReverb=1\nEcho=abc\nEQ=5\nConvolutionIR=/ir/hall.wav\n"
        "[DSPParams]\nReverbMix=0.35\nDX8ReverbHFRatio=0.1234\nEchoDelay=\nCompRatio=x\nSpatialZ=-2.5\n"
        "[RecentFiles]\nFile0=/m/a.mp3\nFile1=\nFile2=/m/b.mp3\nFile10=/m/never.mp3\n");
    tav::LoadDspSettings();
    const tav::StoredDspSettings& dsp = tav::StoredDsp();
    EXPECT_TRUE(dsp.loaded);
    EXPECT_EQ(dsp.enabled, (std::array<bool, 8>{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(dsp.ConvolutionIR, "/ir/hall.wav");
    EXPECT_DOUBLE_EQ(dsp.params[4].value_or(-1), 0.35);
    EXPECT_DOUBLE_EQ(dsp.params[8].value_or(-1), 0.1234);
    EXPECT_FALSE(dsp.params[14].has_value());  // empty: the built-in default stays
    EXPECT_DOUBLE_EQ(dsp.params[22].value_or(-1), 0.0);
    EXPECT_DOUBLE_EQ(dsp.params[37].value_or(-1), -2.5);
    EXPECT_FALSE(dsp.params[5].has_value());
    EXPECT_EQ(tav::TheRecentFiles().entries, (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));

    // Saved back: every effect flag, the parameters that have values, the
    // recent list renumbered.
    tav::TheRecentFiles().entries.insert(tav::TheRecentFiles().entries.begin(), "/m/c.mp3");
    ASSERT_TRUE(tav::SaveSettings());
    const IniFile after = loadIni();
    // Keys already in the file keep their place; the missing ones follow.
    EXPECT_EQ(after.keys("DSPEffects"),
              (std::vector<std::string>{"Reverb", "Echo", "EQ", "ConvolutionIR", "Compressor", "StereoWidth",
                                        "CenterCancel", "Convolution", "SpatialAudio"}));
    EXPECT_EQ(after.getString("DSPEffects", "Echo"), "0");
    EXPECT_EQ(after.getString("DSPEffects", "EQ"), "1");
    EXPECT_EQ(after.getString("DSPParams", "ReverbMix"), "0.35");
    EXPECT_EQ(after.getString("DSPParams", "DX8ReverbHFRatio"), "0.123");
    EXPECT_EQ(after.getString("DSPParams", "CompRatio"), "0.00");
    EXPECT_EQ(after.getString("DSPParams", "SpatialZ"), "-2.50");
    EXPECT_EQ(after.getString("DSPParams", "EchoDelay"), "");
    EXPECT_EQ(after.keys("RecentFiles"), (std::vector<std::string>{"File0", "File1", "File2"}));
    EXPECT_EQ(after.getString("RecentFiles", "File0"), "/m/c.mp3");
    EXPECT_EQ(after.getString("RecentFiles", "File2"), "/m/b.mp3");
}

TEST_F(SettingsFile, AtMostTenRecentFilesAreWritten) {
    tav::LoadDspSettings();
    for (int i = 0; i < 12; ++i) tav::TheRecentFiles().entries.push_back("/m/" + std::to_string(i));
    ASSERT_TRUE(tav::SaveSettings());
    const IniFile after = loadIni();
    EXPECT_EQ(after.keys("RecentFiles").size(), 10u);
    EXPECT_EQ(after.getString("RecentFiles", "File9"), "/m/9");
}

TEST(SettingsKeys, DspKeyNames) {
    EXPECT_STREQ(tav::DspEffectKey(7), "SpatialAudio");
    EXPECT_EQ(tav::DspEffectKey(8), nullptr);
    EXPECT_EQ(tav::DspParamKey(3), nullptr);
    EXPECT_STREQ(tav::DspParamKey(4), "ReverbMix");
    EXPECT_STREQ(tav::DspParamKey(21), "CompThreshold");
    EXPECT_STREQ(tav::DspParamKey(33), "SpatialMode");
    EXPECT_STREQ(tav::DspParamKey(37), "SpatialZ");
}

}  // namespace
