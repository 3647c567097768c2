#include "speech/ProcessFinder.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

namespace tav {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string ReadLink(const std::string& path) {
    char buf[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string ReadSmallFile(const std::string& path) {
    std::string out;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    char buf[4096];
    ssize_t n;
    // Command lines can be long; the first 64 KiB are plenty to match a name.
    while (out.size() < 65536 && (n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    close(fd);
    return out;
}

bool IsPid(const char* s) {
    if (!*s) return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

}  // namespace

pid_t getProcessHandle(const std::string& name, std::string* pathOut) {
    if (name.empty()) return 0;
    const std::string wanted = Lower(name);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/proc"), closedir);
    if (!dir) return 0;
    const pid_t self = getpid();
    while (dirent* e = readdir(dir.get())) {
        if (!IsPid(e->d_name)) continue;
        const pid_t pid = static_cast<pid_t>(std::strtol(e->d_name, nullptr, 10));
        // Our own command line may name a file such as "orca.mp3": that is
        // never the screen reader.
        if (pid == self || pid <= 0) continue;
        const std::string base = std::string("/proc/") + e->d_name;
        const std::string exe = ReadLink(base + "/exe");
        std::string cmdline = ReadSmallFile(base + "/cmdline");
        const std::string firstWord = cmdline.substr(0, cmdline.find('\0'));
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (Lower(exe).find(wanted) == std::string::npos && Lower(cmdline).find(wanted) == std::string::npos)
            continue;
        if (pathOut) *pathOut = exe.empty() ? firstWord : exe;
        return pid;
    }
    return 0;
}

bool FindProcess(const std::string& name, std::string* pathOut) { return getProcessHandle(name, pathOut) != 0; }

}  // namespace tav
