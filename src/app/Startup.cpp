#include "app/Startup.h"

#include <string>
#include <vector>

#include "app/Arguments.h"
#include "app/Log.h"
#include "app/Pending.h"
#include "platform/Paths.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"

namespace tav {

bool HandOverToRunningInstance(bool allowMultipleInstances, std::vector<std::string>& files, InstanceLock& lock,
                               const std::string& lockPath, const std::string& socketPath,
                               std::chrono::milliseconds replyTimeout) {
    const bool handOver = ShouldHandOver(allowMultipleInstances, !files.empty());
    if (lock.acquire(lockPath) != InstanceLock::State::HeldElsewhere || !handOver) return false;
    const HandOverOutcome sent = SendHandOver(socketPath, files, replyTimeout);
    if (sent.found && sent.accepted == files.size()) return true;
    // Not found (a crashed or closing instance): start as a first instance.
    // Files the running one did not take stay with this process.
    if (sent.found) files.erase(files.begin(), files.begin() + static_cast<long>(sent.accepted));
    return false;
}

bool RunEarlyStartup(int argc, const char* const* argv, InstanceLock& lock) {
    // The shared libraries are found by the dynamic loader; optional
    // components live in <exe folder>/lib/ and are looked up there by name.
    StartLog();

    const bool allowMultiple = ReadAllowMultipleInstances(SettingsFilePath());
    std::vector<std::string> files = ExistingArguments(argc, argv);
    if (HandOverToRunningInstance(allowMultiple, files, lock, InstanceLockPath(), InstanceSocketPath(),
                                  kHandOverReplyTimeout))
        return true;

    NotYet_LoadTranslationTables();
    LoadSettings();
    if (Settings().playback.RegisterFileTypes) NotYet_RegisterMissingFileTypes();
    LoadHotkeys();
    NotYet_CleanLegacyTemp();
    NotYet_ClearYoutubeSearchResults();
    AddCommandLineFiles(files);
    return false;
}

}  // namespace tav
