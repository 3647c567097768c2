#include "app/TestLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace tav {

namespace {
std::mutex gMutex;

const char* LogPath() {
    const char* p = std::getenv("TAVROLUNE_COMMAND_LOG");
    return (p && *p) ? p : nullptr;
}
}  // namespace

bool TestLogEnabled() { return LogPath() != nullptr; }

void TestLogLine(const std::string& line) {
    const char* path = LogPath();
    if (!path) return;
    std::lock_guard lock(gMutex);
    // Opened per line so a test can read it at any time.
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string text = line + "\n";
    ssize_t ignored = write(fd, text.data(), text.size());
    (void)ignored;
    close(fd);
}

void TestLogCommand(int id, intptr_t lParam) {
    if (!TestLogEnabled()) return;
    TestLogLine("command\t" + std::to_string(id) + "\t" + std::to_string(lParam));
}

}  // namespace tav
