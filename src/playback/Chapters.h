#pragma once
// Chapter lists read from a stream's tags.
#include <string>
#include <string_view>
#include <vector>

#include "playback/PlaybackSession.h"

namespace tav {

// Vorbis-comment chapters, or ID3v2 chapter frames when there are none.
std::vector<Chapter> ReadChapters(engine::Handle tagStream);

// CHAPTERnnn=time and CHAPTERnnnNAME=name entries, in chapter-number order.
std::vector<Chapter> ChaptersFromVorbisComments(const std::vector<std::string>& comments);
// The CHAP frames of a raw ID3v2 tag, sorted by start time.
std::vector<Chapter> ChaptersFromId3v2(std::string_view tag);

}  // namespace tav
