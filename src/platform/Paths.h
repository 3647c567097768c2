#pragma once
// Where things live on Linux: the executable's folder and the XDG folders.
#include <string>

namespace tav {

// Folder of /proc/self/exe, with a trailing "/".
std::string ExecutableFolder();

// $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_STATE_HOME, $XDG_CACHE_HOME with their
// standard defaults under $HOME; no trailing "/".
std::string XdgConfigHome();
std::string XdgDataHome();
std::string XdgStateHome();
std::string XdgCacheHome();
// $XDG_RUNTIME_DIR, or a private folder under /tmp when it is unset.
std::string XdgRuntimeDir();
// XDG_MUSIC_DIR / XDG_DOWNLOAD_DIR from user-dirs.dirs, else ~/Music, ~/Downloads.
std::string UserMusicFolder();
std::string UserDownloadsFolder();

// "installed.txt" beside the executable chooses the installed layout.
bool IsInstalledMode();
// Tavrolune.ini: beside the executable (portable) or $XDG_CONFIG_HOME/tavrolune/.
std::string SettingsFilePath();
// Tavrolune.db: beside the executable (portable) or $XDG_DATA_HOME/tavrolune/.
std::string DatabaseFilePath();

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& path);
bool PathExists(const std::string& path);

// The text after the last "/" or "\".
std::string FileNameOf(const std::string& location);
// ".ext" in lower case, from the last "." of the file name; empty when none.
std::string LowerExtension(const std::string& location);
// Starts with http://, https:// or ftp:// (any case).
bool IsUrl(const std::string& location);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
std::string ToLowerAscii(std::string text);

}  // namespace tav
