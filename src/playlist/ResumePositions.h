#pragma once
// Where a long file was left, so it resumes there.
#include <string>

namespace tav {

// Seconds to resume the location at; 0 when none is stored.
double LoadResumePosition(const std::string& location);
// Stores the current position for the location (if it qualifies).
void SaveResumePosition(const std::string& location);

}  // namespace tav
