#include "app/Log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include <sys/stat.h>

#include "platform/Paths.h"

namespace tav {

namespace {
std::mutex gLogMutex;
bool gEnabled = false;
std::string gPath;
constexpr long kRotateAbove = 0xFFFFF;  // bytes

// Called with the lock held.
void WriteLocked(const std::string& category, const std::string& message) {
    if (!gEnabled) return;
    struct stat st;
    if (stat(gPath.c_str(), &st) == 0 && st.st_size > kRotateAbove) {
        const std::string old = gPath + ".old";
        std::remove(old.c_str());
        std::rename(gPath.c_str(), old.c_str());
    }
    std::time_t now = std::time(nullptr);
    std::tm lt{};
    localtime_r(&now, &lt);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", lt.tm_year + 1900,
                  lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
    const std::string line = stamp + ("[" + category + "] ") + message + "\r\n";
    // Opened for every line, so the file can be read or removed while we run.
    FILE* f = std::fopen(gPath.c_str(), "ab");
    if (!f) return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
}

}  // namespace

std::string LogFilePath() { return XdgStateHome() + "/tavrolune/tavrolune.log"; }

void StartLog() {
    {
        std::lock_guard lock(gLogMutex);
        gPath = LogFilePath();
        MakeFolders(XdgStateHome() + "/tavrolune");
        gEnabled = true;
    }
    WriteLog("INIT", "Tavrolune logger started");
}

void WriteLog(const std::string& category, const std::string& message) {
    std::lock_guard lock(gLogMutex);
    WriteLocked(category, message);
}

void StopLog() {
    // The stop line is the last one: no other thread gets in between.
    std::lock_guard lock(gLogMutex);
    WriteLocked("EXIT", "Tavrolune logger stopped");
    gEnabled = false;
}

}  // namespace tav
