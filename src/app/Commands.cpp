#include "app/Commands.h"

#include <cstring>
#include <vector>

#include "app/Pending.h"
#include "app/ShellActions.h"
#include "app/TestLog.h"
#include "platform/Posting.h"
#include "playback/PlaybackSession.h"
#include "playback/Seeking.h"
#include "playback/Volume.h"
#include "playback/TrackInfo.h"
#include "playback/Transport.h"
#include "playlist/Navigation.h"

namespace tav {

namespace {

using G = CommandGuard;

void RunOpenRecentEntry(int id, intptr_t) { OpenRecentEntry(id - 6000); }
void RunPlayPause(int, intptr_t) { PlayPause(); }
void RunStopPlayback(int, intptr_t) { StopPlayback(); }
void RunPreviousTrack(int, intptr_t) { PreviousTrack(); }
// The end of a track posts lParam 1: advance without playing.
void RunNextTrack(int, intptr_t lParam) { NextTrack(lParam == 0); }
void RunPlay(int, intptr_t) { Play(); }
void RunPausePlayback(int, intptr_t) { PausePlayback(); }
// Checks or unchecks menu item 215 itself.
void RunToggleShuffle(int, intptr_t) { ToggleShuffle(); }
void RunCycleRepeatMode(int, intptr_t) { CycleRepeatMode(); }
void RunSpeakTrackInfo(int id, intptr_t) { SpeakTrackInfo(id); }
void RunSeekBackward(int, intptr_t) { SeekBackward(); }
void RunSeekForward(int, intptr_t) { SeekForward(); }
void RunSeekToBeginning(int, intptr_t) { SeekToBeginning(); }
void RunCycleMovementUnit(int id, intptr_t) { CycleMovementUnit(id == 220 ? -1 : +1); }
void RunSpeakMovementUnit(int, intptr_t) { SpeakMovementUnit(); }
void RunVolumeUp(int, intptr_t) { VolumeUp(); }
void RunVolumeDown(int, intptr_t) { VolumeDown(); }
void RunToggleMute(int, intptr_t) { ToggleMute(); }
void RunSwitchToDevice(int id, intptr_t) { SwitchToDevice(id - 5000); }

std::vector<CommandEntry> BuildTable() {
    return {
        {101, 101, "OpenFilesCommand", G::None, nullptr},
        {102, 102, "DestroyMainWindow", G::None, nullptr},
        {103, 103, "ShowOptionsDialog", G::None, nullptr},
        {104, 104, "OpenUrlDialog", G::None, nullptr},
        {105, 105, "ShowYouTubeDialog", G::None, nullptr},
        {106, 106, "HideToTray", G::None, nullptr},
        {107, 107, "ShowRadioDialog", G::None, nullptr},
        {108, 108, "ShowSchedulerDialog", G::None, nullptr},
        {109, 109, "ShowLoadedPlugins", G::None, nullptr},
        {110, 110, "AddFolderCommand", G::None, nullptr},
        {111, 111, "ShowPlaylistManager", G::None, nullptr},
        {112, 112, "CheckForUpdatesNow", G::None, nullptr},
        {113, 113, "AddStreamToFavorites", G::None, nullptr},
        {114, 114, "OpenReadme", G::None, nullptr},
        {118, 118, "TestYoutubePlayback", G::None, nullptr},
        {119, 119, "ClearYoutubeCache", G::None, nullptr},
        {201, 201, "PlayPause", G::None, &RunPlayPause},
        {202, 202, "StopPlayback", G::None, &RunStopPlayback},
        {203, 203, "PreviousTrack", G::None, &RunPreviousTrack},
        {204, 204, "NextTrack", G::None, &RunNextTrack},
        {205, 205, "SeekBackward", G::None, &RunSeekBackward},
        {206, 206, "SeekForward", G::None, &RunSeekForward},
        {207, 207, "VolumeUp", G::None, &RunVolumeUp},
        {208, 208, "VolumeDown", G::None, &RunVolumeDown},
        {209, 209, "SpeakElapsed", G::None, &RunSpeakTrackInfo},
        {210, 210, "SpeakRemaining", G::None, &RunSpeakTrackInfo},
        {211, 211, "SpeakTotal", G::None, &RunSpeakTrackInfo},
        {212, 212, "Play", G::None, &RunPlay},
        {213, 213, "PausePlayback", G::None, &RunPausePlayback},
        {214, 214, "SpeakNowPlaying", G::None, &RunSpeakTrackInfo},
        {215, 215, "ToggleShuffle", G::None, &RunToggleShuffle},
        {216, 216, "SeekToBeginning", G::None, &RunSeekToBeginning},
        {217, 217, "ShowJumpToTimeDialog", G::None, nullptr},
        {218, 218, "ToggleMute", G::None, &RunToggleMute},
        {219, 219, "CycleRepeatMode", G::None, &RunCycleRepeatMode},
        {220, 221, "CycleMovementUnit", G::None, &RunCycleMovementUnit},  // 220: -1, 221: +1
        {230, 231, "MoveInCycle", G::None, nullptr},        // 230: -1, 231: +1
        {232, 233, "AdjustCurrent", G::None, nullptr},      // 232: +1, 233: -1
        {234, 234, "ResetCurrentToDefault", G::None, nullptr},
        {235, 235, "SetCurrentToMinimum", G::None, nullptr},
        {236, 236, "SetCurrentToMaximum", G::None, nullptr},
        {237, 237, "ShowDeviceMenu", G::None, nullptr},
        {238, 238, "ShowPresetMenu", G::None, nullptr},
        {240, 243, "ToggleStreamEffect", G::None, nullptr},  // effect id - 240
        {244, 244, "NextReverbChoice", G::None, nullptr},
        {245, 249, "ToggleDspEffect", G::None, nullptr},  // DSP effect id - 244
        {250, 250, "SpeakMovementUnit", G::None, &RunSpeakMovementUnit},
        {251, 251, "Toggle3DAudio", G::None, nullptr},
        {252, 252, "ToggleConvolutionReverb", G::None, nullptr},
        {260, 260, "SpeakFileName", G::None, &RunSpeakTrackInfo},
        {261, 269, "SpeakTagField", G::None, &RunSpeakTrackInfo},  // title ... duration
        {270, 279, "ShowTagDialog", G::None, nullptr},   // title ... file name
        {700, 700, "RestoreFromTray", G::None, nullptr},
        {701, 701, "DestroyMainWindow", G::None, nullptr},
        {702, 702, "ToggleWindow", G::None, nullptr},
        {800, 800, "AddBookmark", G::None, nullptr},
        {801, 801, "ShowBookmarksDialog", G::None, nullptr},
        {820, 820, "ToggleRecording", G::None, nullptr},
        {940, 940, "ShowPodcastsDialog", G::None, nullptr},
        {990, 990, "ShowSongHistoryDialog", G::None, nullptr},
        {1200, 1200, "ToggleFullscreen", G::VideoLoaded, nullptr},
        {1201, 1201, "CycleSubtitles", G::VideoKind, nullptr},
        {1202, 1202, "LoadSubtitleFile", G::VideoKind, nullptr},
        {1203, 1203, "SubtitlesOff", G::VideoKind, nullptr},
        {1240, 1240, "CycleAudioTrack", G::VideoKind, nullptr},
        {1270, 1270, "CycleAspectRatio", G::VideoKind, nullptr},
        {1280, 1280, "TakeScreenshot", G::VideoKind, nullptr},
        {5000, 5099, "SwitchToDevice", G::None, &RunSwitchToDevice},  // device id - 5000
        {6000, 6009, "OpenRecentEntry", G::None, &RunOpenRecentEntry},
        {7000, 7099, "LoadPreset", G::None, nullptr},      // preset id - 7000
        {7100, 7199, "DeletePreset", G::None, nullptr},    // preset id - 7100
        {7200, 7200, "SavePresetAsNew", G::None, nullptr},
    };
}

std::vector<CommandEntry>& Table() {
    static std::vector<CommandEntry> table = BuildTable();
    return table;
}

bool GuardAllows(CommandGuard guard) {
    switch (guard) {
        case CommandGuard::None: return true;
        case CommandGuard::VideoKind: return Session().mediaKind == MediaKind::Video;
        case CommandGuard::VideoLoaded: return Session().videoLoaded;
    }
    return false;
}

}  // namespace

std::span<const CommandEntry> CommandTable() { return Table(); }

const CommandEntry* FindCommand(int id) {
    for (const CommandEntry& e : Table())
        if (id >= e.first && id <= e.last) return &e;
    return nullptr;
}

bool BindCommandHandler(const char* operation, CommandHandler handler) {
    bool bound = false;
    for (CommandEntry& e : Table())
        if (std::strcmp(e.operation, operation) == 0) {
            e.handler = handler;
            bound = true;
        }
    return bound;
}

void DispatchCommand(int id, intptr_t lParam) {
    TestLogCommand(id, lParam);
    const CommandEntry* e = FindCommand(id);
    if (!e || !e->handler || !GuardAllows(e->guard)) return;
    e->handler(id, lParam);
}

void HandleHotkey(int hotkeyId) {
    switch (hotkeyId) {
        case kHotkeyMediaPlayPause: PostCommand(201); return;
        case kHotkeyMediaStop: PostCommand(202); return;
        case kHotkeyMediaPrevious: PostCommand(203); return;
        case kHotkeyMediaNext: PostCommand(204); return;
        default: break;
    }
    if (int command = NotYet_HotkeyCommand(hotkeyId)) PostCommand(command);
}

}  // namespace tav
