#include "playlist/ResumePositions.h"

namespace tav {

// Positions are stored once the database exists; until then nothing resumes.
double LoadResumePosition(const std::string&) { return 0.0; }
void SaveResumePosition(const std::string&) {}

}  // namespace tav
