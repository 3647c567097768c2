#include "playback/Chapters.h"

namespace tav {

// Chapter reading comes with the tag reader; until then no media has chapters.
std::vector<Chapter> ReadChapters(engine::Handle) { return {}; }

}  // namespace tav
