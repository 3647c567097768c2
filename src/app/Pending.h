#pragma once
// Steps of start-up, shut-down and message handling whose subsystems are not
// written yet. Each is named after the operation it stands for and does
// nothing (or gives the neutral answer), so the shell calls them in their
// final places and each is replaced by the real operation when it lands.
#include <any>
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

// Start-up, before the main window.
void NotYet_LoadTranslationTables();
void NotYet_RegisterMissingFileTypes();
void NotYet_CleanLegacyTemp();
void NotYet_ClearYoutubeSearchResults();

// Playlist files: until their reader exists no file counts as one, so a
// playlist file goes into the playlist as itself.
bool NotYet_IsPlaylistFile(const std::string& path);
std::vector<std::string> NotYet_ReadPlaylistFile(const std::string& path);

// Folder loading: -1 means "not available", and callers go on as if
// LoadFolder were off.
int NotYet_LoadFolderOfFile(const std::string& path);

// Main window creation.
void NotYet_OpenDatabase();
void NotYet_ResetEffectParameters();
void NotYet_RegisterAllHotkeys();
void NotYet_StartReleaseCheck();
void NotYet_StartYtdlpUpdate();

// Main window destruction.
void NotYet_RemoveTrayIcon();
void NotYet_UnregisterAllHotkeys();
void NotYet_CloseDatabase();
void NotYet_ShutdownVideoEngine();

// Posted messages and timers.
void NotYet_SwitchStreamToCache(const std::string& youtubeId);
void NotYet_RestoreFromTray();
void NotYet_ShowTrayMenu();
void NotYet_HideToTray();
bool NotYet_IsHiddenInTray();
void NotYet_OnEpisodeDownloadFinished(uintptr_t wParam, bool ok);
void NotYet_ShowUpdateCheckResult(const std::any& result);
void NotYet_InstallUpdate();
void NotYet_CheckScheduledEvents();
void NotYet_EndScheduledEvent();
void NotYet_HideFullscreenCursor();

// Global hotkeys: the command of the first assignment with this id, 0 = none.
int NotYet_HotkeyCommand(int hotkeyId);

// True while the modeless YouTube dialog has the keyboard: the main window's
// keys stay off then.
bool NotYet_YoutubeDialogHasFocus();

}  // namespace tav
