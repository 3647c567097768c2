#pragma once
// Tag values, stream titles and the spoken track information.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "playback/engine/Engine.h"

namespace tav {

// name: TITLE, ARTIST, ALBUM, DATE, YEAR, TRACKNUMBER, TRACK, GENRE, COMMENT,
// DESCRIPTION (any case). Empty when not found.
std::string GetTagValue(engine::Handle channel, const std::string& name);
// The current stream title ("Artist - Title" when both are known); empty when none.
std::string GetStreamTitle(engine::Handle channel);
// (artist, title)
std::pair<std::string, std::string> SplitStreamTitle(const std::string& text);

// ---- The pieces the functions above are made of ------------------------------

// The title text inside a stream's metadata ("StreamTitle='...';"), unsplit.
std::string RawStreamTitle(const std::string& meta);
// GetStreamTitle over a metadata text.
std::string StreamTitleFromMeta(const std::string& meta);

// In a block of "key: value" lines: the value of the first line that starts
// with key (any case) and a colon, without the spaces after the colon.
std::string HeaderValue(const std::string& block, const std::string& key);
// The header from the ICY headers, else from the HTTP headers of the channel.
std::string StreamHeader(engine::Handle channel, const std::string& key);

// Text that is valid UTF-8 stays as it is; anything else is read as
// Windows-1252 (what untagged 8-bit text in the wild mostly is).
std::string ToUtf8Lenient(std::string_view bytes);

// One frame of an ID3v2 tag: its id and its content (views into the tag).
struct Id3v2Frame {
    std::string_view id;
    std::string_view data;
};
// The frames of a raw ID3v2.3 or 2.4 tag, header included, in file order.
// The walk ends at padding, at a zero size, or at a frame that would run past
// the end of the tag (that frame is not returned).
std::vector<Id3v2Frame> Id3v2Frames(std::string_view tag);
// The same walk over a run of frames (the sub-frames of a chapter frame).
std::vector<Id3v2Frame> Id3v2FrameRun(std::string_view frames, int majorVersion);
// Major version (3 or 4) of a tag the walk can read, else 0.
int Id3v2Version(std::string_view tag);
// A text frame's content: encoding byte, then Latin-1, UTF-16 with a byte
// order mark, UTF-16 big-endian or UTF-8, up to the first NUL; as UTF-8.
std::string DecodeId3v2Text(std::string_view data);
// A comment frame's text (language and description skipped), as UTF-8.
std::string DecodeId3v2Comment(std::string_view data);
// The decoded value of the first frame with this id; empty when none.
std::string Id3v2Value(std::string_view tag, std::string_view frameId);

// The 128-byte ID3v1 block, decoded.
struct Id3v1Tag {
    std::string title, artist, album, year, comment;
    int track = 0;   // ID3v1.1 track byte, 0 = none
    int genre = -1;  // genre index, -1 = none
};
std::optional<Id3v1Tag> ParseId3v1(std::string_view block);
std::optional<Id3v1Tag> ReadId3v1(engine::Handle channel);
// The standard genre names 0 ... 79; empty for any other index.
std::string Id3v1GenreName(int index);

}  // namespace tav
