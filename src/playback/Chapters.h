#pragma once
// Chapter lists read from a stream's tags.
#include <vector>

#include "playback/PlaybackSession.h"

namespace tav {

// Vorbis-comment chapters, or ID3v2 chapter frames when there are none.
std::vector<Chapter> ReadChapters(engine::Handle tagStream);

}  // namespace tav
