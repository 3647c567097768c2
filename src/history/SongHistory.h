#pragma once
// The titles internet radio stations announce, kept in the database.
#include <string>

namespace tav {

// Records a stream title (the newest stored one is not stored twice). The
// database is not there yet: until it is, this keeps nothing.
void AddSongTitle(const std::string& title);

}  // namespace tav
