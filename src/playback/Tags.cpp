#include "playback/Tags.h"

#include <array>
#include <cstdint>

#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace tav {

using namespace engine;

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 in the range 0x80 ... 0x9F; the five unassigned bytes keep
// their own value, as Windows converts them.
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-16 code units up to the first NUL unit (an odd last byte is ignored).
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) -> uint32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (static_cast<uint32_t>(a) << 8 | b) : (static_cast<uint32_t>(b) << 8 | a);
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t u = unit(i);
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const uint32_t lo = unit(i + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // a lone surrogate
        AppendUtf8(out, u);
    }
    return out;
}

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

uint32_t Be32(std::string_view s, size_t at) {
    const auto* b = reinterpret_cast<const unsigned char*>(s.data() + at);
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 | b[3];
}

uint32_t Synchsafe32(std::string_view s, size_t at) {
    const auto* b = reinterpret_cast<const unsigned char*>(s.data() + at);
    return static_cast<uint32_t>(b[0] & 0x7F) << 21 | static_cast<uint32_t>(b[1] & 0x7F) << 14 |
           static_cast<uint32_t>(b[2] & 0x7F) << 7 | (b[3] & 0x7F);
}

std::string ToUpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The keys a name is looked up under in the key=value lists. The decoder
// hands Vorbis comments over with a few keys renamed to its own generic
// names; TRACKNUMBER is one of them ("track").
std::vector<std::string> ListKeys(const std::string& upperName) {
    if (upperName == "TRACKNUMBER") return {"TRACKNUMBER", "TRACK"};
    return {upperName};
}

std::string FromLists(Handle channel, const std::string& upperName) {
    static constexpr TagType kLists[] = {kTagOgg, kTagApe, kTagMp4, kTagWma, kTagRiffInfo, kTagMf};
    const std::vector<std::string> keys = ListKeys(upperName);
    for (TagType type : kLists) {
        const auto list = ChannelGetTagList(channel, type);
        if (!list) continue;
        for (const std::string& entry : *list) {
            bool matched = false;
            for (const std::string& key : keys) {
                if (entry.size() > key.size() && entry[key.size()] == '=' && StartsWithNoCase(entry, key)) {
                    matched = true;
                    if (std::string v = ToUtf8Lenient(std::string_view(entry).substr(key.size() + 1)); !v.empty())
                        return v;
                    break;
                }
            }
            if (matched) break;  // the first matching entry decides for this list
        }
    }
    return {};
}

std::string_view Id3v2FrameFor(const std::string& upperName) {
    if (upperName == "TITLE") return "TIT2";
    if (upperName == "ARTIST") return "TPE1";
    if (upperName == "ALBUM") return "TALB";
    if (upperName == "YEAR") return "TYER";
    if (upperName == "DATE") return "TDRC";
    if (upperName == "TRACK" || upperName == "TRACKNUMBER") return "TRCK";
    if (upperName == "GENRE") return "TCON";
    if (upperName == "COMMENT") return "COMM";
    return {};
}

std::string Block(Handle channel, TagType type) { return ChannelGetTagBlock(channel, type).value_or(std::string()); }

}  // namespace

std::string ToUtf8Lenient(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, c >= 0x80 && c <= 0x9F ? kCp1252High[c - 0x80] : c);
    }
    return out;
}

// ---- ID3v2 -----------------------------------------------------------------------

int Id3v2Version(std::string_view tag) {
    if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return 0;
    const int v = static_cast<unsigned char>(tag[3]);
    // Version 2.2 has three-letter ids and six-byte frame headers: a
    // different layout, not read here.
    return v == 3 || v == 4 ? v : 0;
}

std::vector<Id3v2Frame> Id3v2FrameRun(std::string_view run, int majorVersion) {
    std::vector<Id3v2Frame> frames;
    size_t pos = 0;
    while (run.size() - pos >= 10) {
        if (run[pos] == '\0') break;  // padding
        const uint32_t size = majorVersion == 4 ? Synchsafe32(run, pos + 4) : Be32(run, pos + 4);
        if (size == 0) break;
        if (size > run.size() - pos - 10) break;  // runs past the end: not read
        frames.push_back({run.substr(pos, 4), run.substr(pos + 10, size)});
        pos += 10 + size;
    }
    return frames;
}

std::vector<Id3v2Frame> Id3v2Frames(std::string_view tag) {
    const int v = Id3v2Version(tag);
    if (!v) return {};
    const size_t end = std::min<size_t>(tag.size(), static_cast<size_t>(Synchsafe32(tag, 6)) + 10);
    size_t pos = 10;
    if (static_cast<unsigned char>(tag[5]) & 0x40) {
        if (end - pos < 4) return {};
        // 2.3 counts the extended header without its size field, 2.4 with it.
        const size_t ext = v == 3 ? static_cast<size_t>(Be32(tag, pos)) + 4 : Synchsafe32(tag, pos);
        if (ext < 6 || ext > end - pos) return {};
        pos += ext;
    }
    return Id3v2FrameRun(tag.substr(pos, end - pos), v);
}

std::string DecodeId3v2Text(std::string_view data) {
    if (data.empty()) return {};
    const auto enc = static_cast<unsigned char>(data[0]);
    std::string_view body = data.substr(1);
    auto hasMark = [&](unsigned char a, unsigned char b) {
        return body.size() >= 2 && static_cast<unsigned char>(body[0]) == a && static_cast<unsigned char>(body[1]) == b;
    };
    switch (enc) {
        case 0:  // Latin-1
        case 3:  // UTF-8
            return ToUtf8Lenient(UpToNul(body));
        case 1:  // UTF-16 with a byte order mark (little-endian when it is missing)
            if (hasMark(0xFE, 0xFF)) return Utf16ToUtf8(body.substr(2), true);
            if (hasMark(0xFF, 0xFE)) return Utf16ToUtf8(body.substr(2), false);
            return Utf16ToUtf8(body, false);
        case 2:  // UTF-16 big-endian
            return Utf16ToUtf8(hasMark(0xFE, 0xFF) ? body.substr(2) : body, true);
        default: return {};
    }
}

std::string DecodeId3v2Comment(std::string_view data) {
    // encoding, three letters of language, a description ended by NUL, the text
    if (data.size() < 4) return {};
    const auto enc = static_cast<unsigned char>(data[0]);
    const bool wide = enc == 1 || enc == 2;
    size_t i = 4;
    if (wide) {
        while (i + 1 < data.size() && (data[i] != '\0' || data[i + 1] != '\0')) i += 2;
        if (i + 1 >= data.size()) return {};
        i += 2;
    } else {
        i = data.find('\0', 4);
        if (i == std::string_view::npos) return {};
        ++i;
    }
    std::string text(1, data[0]);
    text.append(data.substr(i));
    return DecodeId3v2Text(text);
}

std::string Id3v2Value(std::string_view tag, std::string_view frameId) {
    for (const Id3v2Frame& f : Id3v2Frames(tag))
        if (f.id == frameId) return frameId == "COMM" ? DecodeId3v2Comment(f.data) : DecodeId3v2Text(f.data);
    return {};
}

// ---- ID3v1 -------------------------------------------------------------------------

std::optional<Id3v1Tag> ParseId3v1(std::string_view b) {
    if (b.size() < 128 || b.substr(0, 3) != "TAG") return std::nullopt;
    auto field = [&](size_t offset, size_t size) {
        std::string_view f = UpToNul(b.substr(offset, size));
        // Fields are padded with blanks as often as with NULs.
        while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
        return ToUtf8Lenient(f);
    };
    Id3v1Tag t;
    t.title = field(3, 30);
    t.artist = field(33, 30);
    t.album = field(63, 30);
    t.year = field(93, 4);
    const bool v11 = b[125] == '\0' && b[126] != '\0';
    t.comment = field(97, v11 ? 28 : 30);
    t.track = v11 ? static_cast<unsigned char>(b[126]) : 0;
    t.genre = static_cast<unsigned char>(b[127]);
    return t;
}

std::optional<Id3v1Tag> ReadId3v1(Handle channel) {
    const auto block = ChannelGetTagBlock(channel, kTagId3);
    if (!block) return std::nullopt;
    return ParseId3v1(*block);
}

std::string Id3v1GenreName(int index) {
    static const char* const kGenres[80] = {
        "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
        "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
        "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
        "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
        "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
        "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
        "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
        "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
        "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
        "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock"};
    return index >= 0 && index < 80 ? kGenres[index] : std::string();
}

// ---- Stream headers and titles ---------------------------------------------------------

std::string HeaderValue(const std::string& block, const std::string& key) {
    size_t pos = 0;
    while (pos < block.size()) {
        size_t end = block.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = block.size();
        const std::string_view line = std::string_view(block).substr(pos, end - pos);
        if (line.size() > key.size() && line[key.size()] == ':' && StartsWithNoCase(std::string(line), key)) {
            size_t v = key.size() + 1;
            while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
            return std::string(line.substr(v));
        }
        pos = end + 1;
    }
    return {};
}

std::string StreamHeader(Handle channel, const std::string& key) {
    for (TagType type : {kTagIcy, kTagHttp})
        if (const auto block = ChannelGetTagBlock(channel, type))
            if (std::string v = HeaderValue(*block, key); !v.empty()) return ToUtf8Lenient(v);
    return {};
}

std::string RawStreamTitle(const std::string& meta) {
    static const std::string kQuoted = "StreamTitle='";
    if (size_t p = meta.find(kQuoted); p != std::string::npos) {
        const size_t start = p + kQuoted.size();
        if (size_t e = meta.find("';", start); e != std::string::npos) return meta.substr(start, e - start);
        if (meta.size() > start && meta.back() == '\'') return meta.substr(start, meta.size() - 1 - start);
    }
    static const std::string kDouble = "StreamTitle=\"";
    if (size_t p = meta.find(kDouble); p != std::string::npos) {
        const size_t start = p + kDouble.size();
        if (size_t e = meta.find('"', start); e != std::string::npos) return meta.substr(start, e - start);
    }
    return {};
}

std::pair<std::string, std::string> SplitStreamTitle(const std::string& text) {
    std::string artist, title;
    // The text between a quote that starts at from and the next quote; empty
    // when none closes it.
    auto quoted = [&](size_t from) -> std::string {
        const size_t e = text.find('"', from);
        return e == std::string::npos ? std::string() : text.substr(from, e - from);
    };
    static const std::string kMarker = " - text=\"";
    if (size_t p = text.find(kMarker); p != std::string::npos) {
        artist = text.substr(0, p);
        title = quoted(p + kMarker.size());
    } else {
        if (size_t t = text.find("title=\""); t != std::string::npos) title = quoted(t + 7);
        if (size_t a = text.find("artist=\""); a != std::string::npos) artist = quoted(a + 8);
    }
    if (artist.empty() && title.empty()) {
        if (size_t dash = text.find(" - "); dash != std::string::npos) {
            artist = text.substr(0, dash);
            title = text.substr(dash + 3);
        } else {
            title = text;
        }
    }
    return {artist, title};
}

std::string StreamTitleFromMeta(const std::string& meta) {
    const std::string raw = ToUtf8Lenient(RawStreamTitle(meta));
    const auto [artist, title] = SplitStreamTitle(raw);
    if (!artist.empty() && !title.empty()) return artist + " - " + title;
    if (!title.empty()) return title;
    return raw;
}

std::string GetStreamTitle(Handle channel) {
    const auto meta = ChannelGetTagBlock(channel, kTagMeta);
    if (!meta) return {};
    return StreamTitleFromMeta(*meta);
}

std::string GetTagValue(Handle channel, const std::string& name) {
    const std::string upper = ToUpperAscii(name);
    if (std::string v = FromLists(channel, upper); !v.empty()) return v;

    if (const std::string_view frame = Id3v2FrameFor(upper); !frame.empty())
        if (const auto tag = ChannelGetTagBlock(channel, kTagId3v2))
            if (std::string v = Id3v2Value(*tag, frame); !v.empty()) return v;

    if (const auto icy = ChannelGetTagBlock(channel, kTagIcy)) {
        if (upper == "TITLE" || upper == "ARTIST") {
            const auto [artist, title] = SplitStreamTitle(ToUtf8Lenient(RawStreamTitle(Block(channel, kTagMeta))));
            if (upper == "TITLE" && !title.empty()) return title;
            if (upper == "ARTIST" && !artist.empty()) return artist;
        }
        std::string v;
        if (upper == "TITLE") v = HeaderValue(*icy, "icy-name");
        if (upper == "GENRE") v = HeaderValue(*icy, "icy-genre");
        if (!v.empty()) return ToUtf8Lenient(v);
    }

    if (const auto http = ChannelGetTagBlock(channel, kTagHttp)) {
        std::string v;
        if (upper == "TITLE") v = HeaderValue(*http, "icy-name");
        if (upper == "GENRE") v = HeaderValue(*http, "icy-genre");
        if (!v.empty()) return ToUtf8Lenient(v);
    }
    return {};
}

}  // namespace tav
