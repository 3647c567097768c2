#pragma once
// The small append-only log: start and stop lines and the odd notice, with one
// rotation at 1 MiB. Any thread may write.
#include <string>

namespace tav {

// $XDG_STATE_HOME/tavrolune/tavrolune.log
std::string LogFilePath();

void StartLog();
void WriteLog(const std::string& category, const std::string& message);
void StopLog();

}  // namespace tav
