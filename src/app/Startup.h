#pragma once
// Program start before the main window exists, and what a second start does.
#include <chrono>
#include <string>
#include <vector>

#include "app/SingleInstance.h"

namespace tav {

// How long a second start waits for each reply of the running instance.
inline constexpr std::chrono::milliseconds kHandOverReplyTimeout{8000};

// The running instance's window waits this long for its UI thread to take a
// handed-over file before it answers anyway (the file is still handled).
inline constexpr std::chrono::milliseconds kHandOverUiWait{5000};

// The single-instance test of a start. lock is taken when it is free; when
// another process holds it and this start hands over, its files go to the
// socket. True: the files went over and the process ends. False: this
// process runs as a first instance with files (those the running one did
// not take).
bool HandOverToRunningInstance(bool allowMultipleInstances, std::vector<std::string>& files, InstanceLock& lock,
                               const std::string& lockPath, const std::string& socketPath,
                               std::chrono::milliseconds replyTimeout);

// Starts the log, decides whether this process is a second start and hands
// its files over, then loads what the window needs and puts the command-line
// files into the playlist. True when the files went to the running instance:
// the process then ends with exit code 0 and shows nothing. Otherwise lock
// holds the single-instance lock when this is the first instance.
bool RunEarlyStartup(int argc, const char* const* argv, InstanceLock& lock);

}  // namespace tav
