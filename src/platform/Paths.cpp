#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace tav {

namespace {

std::string Home() {
    const char* h = std::getenv("HOME");
    return (h && *h) ? h : "/tmp";
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    // The XDG rules ignore relative values.
    if (v && *v == '/') return v;
    return fallback;
}

std::string UserDir(const char* key, const char* fallbackName) {
    std::ifstream in(XdgConfigHome() + "/user-dirs.dirs");
    std::string line;
    const std::string prefix = std::string(key) + "=";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::string v = line.substr(prefix.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) v = Home() + v.substr(5);
        if (!v.empty() && v[0] == '/') return v;
    }
    return Home() + "/" + fallbackName;
}

}  // namespace

std::string ExecutableFolder() {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return "./";
    std::string p(buf.data(), static_cast<size_t>(n));
    auto slash = p.find_last_of('/');
    return slash == std::string::npos ? "./" : p.substr(0, slash + 1);
}

std::string XdgConfigHome() { return EnvOr("XDG_CONFIG_HOME", Home() + "/.config"); }
std::string XdgDataHome() { return EnvOr("XDG_DATA_HOME", Home() + "/.local/share"); }
std::string XdgStateHome() { return EnvOr("XDG_STATE_HOME", Home() + "/.local/state"); }
std::string XdgCacheHome() { return EnvOr("XDG_CACHE_HOME", Home() + "/.cache"); }
std::string XdgRuntimeDir() {
    std::string d = EnvOr("XDG_RUNTIME_DIR", "");
    if (!d.empty()) return d;
    d = "/tmp/tavrolune-runtime-" + std::to_string(getuid());
    mkdir(d.c_str(), 0700);
    return d;
}
std::string UserMusicFolder() { return UserDir("XDG_MUSIC_DIR", "Music"); }
std::string UserDownloadsFolder() { return UserDir("XDG_DOWNLOAD_DIR", "Downloads"); }

bool IsInstalledMode() { return PathExists(ExecutableFolder() + "installed.txt"); }

std::string SettingsFilePath() {
    if (!IsInstalledMode()) return ExecutableFolder() + "Tavrolune.ini";
    std::string dir = XdgConfigHome() + "/tavrolune";
    if (!MakeFolders(dir)) return ExecutableFolder() + "Tavrolune.ini";
    return dir + "/Tavrolune.ini";
}

std::string DatabaseFilePath() {
    if (!IsInstalledMode()) return ExecutableFolder() + "Tavrolune.db";
    std::string dir = XdgDataHome() + "/tavrolune";
    if (!MakeFolders(dir)) return ExecutableFolder() + "Tavrolune.db";
    return dir + "/Tavrolune.db";
}

bool PathExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    std::string cur;
    size_t i = 0;
    while (i <= path.size()) {
        size_t next = path.find('/', i);
        if (next == std::string::npos) next = path.size();
        cur = path.substr(0, next);
        if (!cur.empty() && mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
        i = next + 1;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FileNameOf(const std::string& location) {
    auto p = location.find_last_of("/\\");
    return p == std::string::npos ? location : location.substr(p + 1);
}

std::string LowerExtension(const std::string& location) {
    std::string name = FileNameOf(location);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return ToLowerAscii(name.substr(dot));
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    return ToLowerAscii(text.substr(0, prefix.size())) == ToLowerAscii(prefix);
}

bool IsUrl(const std::string& location) {
    return StartsWithNoCase(location, "http://") || StartsWithNoCase(location, "https://") ||
           StartsWithNoCase(location, "ftp://");
}

}  // namespace tav
