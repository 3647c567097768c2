#pragma once
// A record of what the shell did, for the end-to-end tests: when the
// environment variable TAVROLUNE_COMMAND_LOG names a file, every dispatched
// command and every hand-over appends one tab-separated line to it:
//   command<TAB>id<TAB>lParam
//   copydata<TAB>marker<TAB>path
//   starttrack<TAB>index<TAB>entry<TAB>entry...
#include <cstdint>
#include <string>

namespace tav {

bool TestLogEnabled();
void TestLogLine(const std::string& line);

void TestLogCommand(int id, intptr_t lParam);

}  // namespace tav
