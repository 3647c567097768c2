#pragma once
// The command line of the program: which arguments count, whether this
// process hands its files to a running instance, and putting the files into
// the playlist.
#include <string>
#include <vector>

namespace tav {

// The arguments after the program name that name an existing file or folder,
// in command-line order, made absolute against the current folder (a second
// instance hands them to a process that runs in another folder).
std::vector<std::string> ExistingArguments(int argc, const char* const* argv);
std::string AbsolutePath(const std::string& path);

// A second start hands its files over unless several instances are allowed
// and it was given no file.
bool ShouldHandOver(bool allowMultipleInstances, bool anyFile);

// "AllowMultipleInstances" of section "Playback" in the settings file, read on
// its own before anything else is loaded; false when the file is missing.
bool ReadAllowMultipleInstances(const std::string& settingsPath);

// The entries a handed-over or opened file contributes: a playlist file its
// entries, any other file itself.
std::vector<std::string> EntriesOfFile(const std::string& path);

// Appends every file to the playlist (a playlist file contributes its
// entries). Nothing is played.
void AddCommandLineFiles(const std::vector<std::string>& files);

}  // namespace tav
