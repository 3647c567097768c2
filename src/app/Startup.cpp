#include "app/Startup.h"

#include <string>
#include <vector>

#include "app/Arguments.h"
#include "app/Log.h"
#include "app/Pending.h"
#include "platform/Paths.h"
#include "storage/AppSettings.h"

namespace tav {

bool RunEarlyStartup(int argc, const char* const* argv, InstanceLock& lock) {
    // The shared libraries are found by the dynamic loader; optional
    // components live in <exe folder>/lib/ and are looked up there by name.
    StartLog();

    const bool allowMultiple = ReadAllowMultipleInstances(SettingsFilePath());
    std::vector<std::string> files = ExistingArguments(argc, argv);
    const bool handOver = ShouldHandOver(allowMultiple, !files.empty());

    if (lock.acquire(InstanceLockPath()) == InstanceLock::State::HeldElsewhere && handOver) {
        const HandOverOutcome sent = SendHandOver(InstanceSocketPath(), files, kHandOverReplyTimeout);
        if (sent.found && sent.accepted == files.size()) return true;
        // Not found (a crashed or closing instance): start as a first instance.
        // Files the running one did not take stay with this process.
        if (sent.found) files.erase(files.begin(), files.begin() + static_cast<long>(sent.accepted));
    }

    NotYet_LoadTranslationTables();
    NotYet_LoadSettings();
    if (Settings().playback.RegisterFileTypes) NotYet_RegisterMissingFileTypes();
    NotYet_LoadHotkeys();
    NotYet_CleanLegacyTemp();
    NotYet_ClearYoutubeSearchResults();
    AddCommandLineFiles(files);
    return false;
}

}  // namespace tav
