#pragma once
// Tags made byte by byte, so a test decides every size, flag and encoding.
#include <cstdint>
#include <string>
#include <vector>

namespace tagtest {

inline std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
inline std::string Synchsafe(uint32_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F), static_cast<char>((v >> 7) & 0x7F),
            static_cast<char>(v & 0x7F)};
}

// A frame with the size written the way the version writes it (or a given
// size, for frames that lie about it).
inline std::string Frame(int version, const std::string& id, const std::string& data, int64_t size = -1) {
    const auto n = static_cast<uint32_t>(size < 0 ? static_cast<int64_t>(data.size()) : size);
    return id + (version == 4 ? Synchsafe(n) : Be32(n)) + std::string(2, '\0') + data;
}

// Header (declared size = the body unless given) + body.
inline std::string Tag(int version, const std::string& body, uint8_t flags = 0, int64_t declared = -1) {
    const auto n = static_cast<uint32_t>(declared < 0 ? static_cast<int64_t>(body.size()) : declared);
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) + Synchsafe(n) + body;
}

// A text frame's content: the encoding byte and the bytes.
inline std::string Text(int encoding, const std::string& bytes) { return std::string(1, static_cast<char>(encoding)) + bytes; }

inline std::string Utf16(const std::u16string& s, bool bigEndian) {
    std::string out;
    for (char16_t c : s) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

// A chapter frame: element id, start and end in ms, two unused offsets, sub-frames.
inline std::string Chap(int version, const std::string& element, uint32_t startMs, const std::string& subFrames) {
    return Frame(version, "CHAP",
                 element + std::string(1, '\0') + Be32(startMs) + Be32(startMs + 1000) + Be32(0xFFFFFFFF) +
                     Be32(0xFFFFFFFF) + subFrames);
}

// The 128-byte ID3v1.1 block; fields are padded with blanks as many taggers do.
inline std::string Id3v1Block(const std::string& title, const std::string& artist, const std::string& album,
                              const std::string& year, const std::string& comment, int track, int genre) {
    auto pad = [](std::string s, size_t n, char fill) {
        s.resize(n, fill);
        return s;
    };
    std::string b = "TAG" + pad(title, 30, ' ') + pad(artist, 30, ' ') + pad(album, 30, '\0') + pad(year, 4, ' ');
    if (track > 0)
        b += pad(comment, 28, '\0') + std::string(1, '\0') + static_cast<char>(track);
    else
        b += pad(comment, 30, '\0');
    b += static_cast<char>(genre);
    return b;
}

}  // namespace tagtest
