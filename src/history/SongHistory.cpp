#include "history/SongHistory.h"

namespace tav {

void AddSongTitle(const std::string& title) { (void)title; }

}  // namespace tav
