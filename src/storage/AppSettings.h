#pragma once
// The process-wide settings record: one field per key of Tavrolune.ini,
// grouped by section, with the built-in defaults. Only the UI thread writes it.
#include <string>

namespace tav {

struct AppSettings {
    struct Playback {
        std::string DeviceName;
        int RewindOnPauseMs = 0;
        bool AllowAmplify = false;
        bool RememberState = false;
        int RememberPosMinutes = 0;
        bool BringToFront = true;
        bool MinimizeToTray = true;
        bool LoadFolder = false;
        bool RegisterFileTypes = false;
        float VolumeStep = 0.02f;  // fraction; the file holds whole percent
        bool ShowTitleInWindow = true;
        float Volume = 1.0f;       // fraction; the file holds whole percent
        float Pitch = 0.0f;        // semitones
        float Tempo = 0.0f;        // percent
        float Rate = 1.0f;         // factor
        bool Shuffle = false;
        bool AutoAdvance = true;
        int RepeatMode = 0;        // 0 off, 1 track, 2 all
        bool PlaylistFollow = true;
        bool CheckForUpdates = true;
        bool AllowMultipleInstances = false;
    } playback;

    struct Advanced {
        int BufferSize = 500;      // ms
        int UpdatePeriod = 100;    // ms
        int TempoAlgorithm = 0;    // 0 SoundTouch, 1 Speedy, 2 Signalsmith
        bool LegacyVolume = false;
        bool DisableBatchDelay = false;
        double EQBassFreq = 50.0;
        double EQMidFreq = 1000.0;
        double EQTrebleFreq = 12000.0;
    } advanced;

    struct SoundTouch {
        bool AntiAliasFilter = true;
        int AAFilterLength = 32;
        bool QuickAlgorithm = false;
        int SequenceMs = 82;
        int SeekWindowMs = 28;
        int OverlapMs = 8;
        bool PreventClick = false;
        int Algorithm = 1;
    } soundTouch;

    struct Speedy {
        bool NonlinearSpeedup = true;
    } speedy;

    struct Signalsmith {
        int Preset = 0;
        int TonalityLimit = 0;
    } signalsmith;

    struct Effects {
        int ReverbAlgorithm = 0;
        bool Volume = true;
        bool Pitch = false;
        bool Tempo = false;
        bool Rate = false;
        int CurrentEffect = 0;
        int RateStepMode = 0;
    } effects;

    struct Movement {
        bool Seek1s = false, Seek5s = true, Seek10s = false, Seek30s = false, Seek1m = false,
             Seek5m = false, Seek10m = false, Seek30m = false, Seek1h = false, Seek1t = false,
             Seek5t = false, Seek10t = false;
        bool ChapterSeek = true;
        int CurrentSeek = 1;
    } movement;

    struct Speech {
        bool TrackChange = false;
        bool Volume = true;
        bool Effect = true;
    } speech;

    struct Recording {
        std::string Path;
        std::string Template = "%Y-%m-%d_%H-%M-%S";
        int Format = 0;
        int Bitrate = 192;
    } recording;

    struct Downloads {
        std::string Path;
        bool OrganizeByFeed = false;
    } downloads;

    struct Midi {
        std::string SoundFont;
        int MaxVoices = 128;
        bool SincInterp = false;
    } midi;

    struct Video {
        bool HardwareDecoding = true;
        std::string VideoOutput = "gpu";
    } video;

    struct YouTube {
        std::string YtdlpPath;
        std::string ApiKey;
        bool VideoMode = false;
    } youtube;

    struct General {
        std::string Language;
    } general;
};

// The one record of the process.
AppSettings& Settings();

// Applies the accepted ranges of every key (what loading a file does to the
// values it read). Movement and effect choices are made valid as well.
void ClampAppSettings(AppSettings& s);

}  // namespace tav
