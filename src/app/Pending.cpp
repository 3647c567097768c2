#include "app/Pending.h"

namespace tav {

void NotYet_LoadTranslationTables() {}
void NotYet_RegisterMissingFileTypes() {}
void NotYet_CleanLegacyTemp() {}
void NotYet_ClearYoutubeSearchResults() {}

bool NotYet_IsPlaylistFile(const std::string&) { return false; }
std::vector<std::string> NotYet_ReadPlaylistFile(const std::string&) { return {}; }
int NotYet_LoadFolderOfFile(const std::string&) { return -1; }

void NotYet_OpenDatabase() {}
void NotYet_ResetEffectParameters() {}
void NotYet_RegisterAllHotkeys() {}
void NotYet_StartReleaseCheck() {}
void NotYet_StartYtdlpUpdate() {}

void NotYet_RemoveTrayIcon() {}
void NotYet_UnregisterAllHotkeys() {}
void NotYet_CloseDatabase() {}
void NotYet_ShutdownVideoEngine() {}

void NotYet_SwitchStreamToCache(const std::string&) {}
void NotYet_RestoreFromTray() {}
void NotYet_ShowTrayMenu() {}
void NotYet_HideToTray() {}
bool NotYet_IsHiddenInTray() { return false; }
void NotYet_OnEpisodeDownloadFinished(uintptr_t, bool) {}
void NotYet_ShowUpdateCheckResult(const std::any&) {}
void NotYet_InstallUpdate() {}
void NotYet_CheckScheduledEvents() {}
void NotYet_EndScheduledEvent() {}
void NotYet_HideFullscreenCursor() {}

int NotYet_HotkeyCommand(int) { return 0; }
bool NotYet_YoutubeDialogHasFocus() { return false; }

}  // namespace tav
