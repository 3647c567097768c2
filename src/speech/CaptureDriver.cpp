#include <cstdio>
#include <cstdlib>

#include "speech/Drivers.h"

namespace tav {

namespace {
const char* LogPath() {
    const char* p = std::getenv(CaptureDriver::kVariable);
    return p && *p ? p : nullptr;
}
}  // namespace

bool CaptureDriver::isRunning() { return LogPath() != nullptr; }

bool CaptureDriver::append(const std::string& line) {
    const char* path = LogPath();
    if (!path) return false;
    // Opened per line so that each line reaches the file before we return.
    std::FILE* f = std::fopen(path, "ae");
    if (!f) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    return std::fclose(f) == 0 && written;
}

bool CaptureDriver::speak(const std::string& utf8, bool interrupt) {
    std::string line = "speak\t";
    line += interrupt ? '1' : '0';
    line += '\t';
    for (char c : utf8) line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    return append(line);
}

bool CaptureDriver::stop() { return append("stop\n"); }

}  // namespace tav
