#pragma once
// Times as they are spoken and shown.
#include <string>

namespace tav {

// Whole seconds as "m:ss" below an hour and "h:mm:ss" from an hour on;
// negative times count as 0.
std::string FormatTime(double seconds);

}  // namespace tav
