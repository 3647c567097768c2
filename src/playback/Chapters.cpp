#include "playback/Chapters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "i18n/Translate.h"
#include "playback/Tags.h"
#include "platform/Paths.h"

namespace tav {

using namespace engine;

namespace {

// A small scanner with the rules of sscanf's %d, %lf and literal characters,
// but independent of the C locale's decimal point (the toolkit sets the
// locale from the environment).
class Scan {
public:
    explicit Scan(std::string_view s) : s_(s) {}
    std::optional<long long> integer() {
        skipSpace();
        size_t i = pos_;
        if (i < s_.size() && (s_[i] == '+' || s_[i] == '-')) ++i;
        long long v = 0;
        const auto r = std::from_chars(s_.data() + i, s_.data() + s_.size(), v);
        if (r.ec != std::errc()) return std::nullopt;
        if (i > pos_ && s_[pos_] == '-') v = -v;
        pos_ = static_cast<size_t>(r.ptr - s_.data());
        return v;
    }
    std::optional<double> real() {
        skipSpace();
        size_t i = pos_;
        bool negative = false;
        if (i < s_.size() && (s_[i] == '+' || s_[i] == '-')) negative = s_[i++] == '-';
        double v = 0;
        const auto r = std::from_chars(s_.data() + i, s_.data() + s_.size(), v);
        if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
        pos_ = static_cast<size_t>(r.ptr - s_.data());
        return negative ? -v : v;
    }
    bool literal(char c) {
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

private:
    void skipSpace() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || (s_[pos_] >= '\t' && s_[pos_] <= '\r'))) ++pos_;
    }
    std::string_view s_;
    size_t pos_ = 0;
};

// "h:m:s", else "m:s", else "s"; 0 when none of them reads.
double ParseChapterTime(std::string_view text) {
    {
        Scan s(text);
        auto h = s.integer();
        if (h && s.literal(':'))
            if (auto m = s.integer(); m && s.literal(':'))
                if (auto sec = s.real()) return static_cast<double>(*h) * 3600 + static_cast<double>(*m) * 60 + *sec;
    }
    {
        Scan s(text);
        auto m = s.integer();
        if (m && s.literal(':'))
            if (auto sec = s.real()) return static_cast<double>(*m) * 60 + *sec;
    }
    Scan s(text);
    return s.real().value_or(0.0);
}

std::string GeneratedName(size_t number) {
    std::string f = Translate("Chapter %d");
    if (size_t p = f.find("%d"); p != std::string::npos) f.replace(p, 2, std::to_string(number));
    return f;
}

}  // namespace

std::vector<Chapter> ChaptersFromVorbisComments(const std::vector<std::string>& comments) {
    struct Entry {
        double start = 0;
        std::optional<std::string> name;
    };
    std::map<long long, Entry> byNumber;
    for (const std::string& c : comments) {
        if (c.size() < 8 || !StartsWithNoCase(c, "CHAPTER")) continue;
        size_t i = 7;
        long long n = 0;
        while (i < c.size() && c[i] >= '0' && c[i] <= '9' && n < 1'000'000'000) n = n * 10 + (c[i++] - '0');
        if (i == 7 || n <= 0 || (i < c.size() && c[i] >= '0' && c[i] <= '9')) continue;
        const std::string rest = c.substr(i);
        if (StartsWithNoCase(rest, "NAME=")) {
            byNumber[n].name = ToUtf8Lenient(std::string_view(rest).substr(5));
        } else if (!rest.empty() && rest[0] == '=') {
            byNumber[n].start = ParseChapterTime(std::string_view(rest).substr(1));
        }
    }
    std::vector<Chapter> chapters;
    for (const auto& [n, e] : byNumber) {
        if (!(e.start > 0) && n != 1) continue;
        chapters.push_back({e.start, e.name ? *e.name : GeneratedName(static_cast<size_t>(n))});
    }
    return chapters;
}

std::vector<Chapter> ChaptersFromId3v2(std::string_view tag) {
    const int version = Id3v2Version(tag);
    std::vector<Chapter> chapters;
    for (const Id3v2Frame& f : Id3v2Frames(tag)) {
        if (f.id != "CHAP") continue;
        // element id, NUL, start ms, end ms, start offset, end offset, sub-frames
        const size_t idEnd = f.data.find('\0');
        if (idEnd == std::string_view::npos || f.data.size() - idEnd - 1 < 16) continue;
        const auto* b = reinterpret_cast<const unsigned char*>(f.data.data() + idEnd + 1);
        const uint32_t startMs = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                                 static_cast<uint32_t>(b[2]) << 8 | b[3];
        std::string title;
        for (const Id3v2Frame& sub : Id3v2FrameRun(f.data.substr(idEnd + 17), version)) {
            if (sub.id != "TIT2" || sub.data.size() < 2) continue;
            const auto enc = static_cast<unsigned char>(sub.data[0]);
            if (enc <= 3) title = DecodeId3v2Text(sub.data);
            break;  // an unknown encoding leaves the chapter without a title
        }
        if (title.empty()) title = GeneratedName(chapters.size() + 1);
        chapters.push_back({startMs / 1000.0, title});
    }
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const Chapter& a, const Chapter& b) { return a.start < b.start; });
    return chapters;
}

std::vector<Chapter> ReadChapters(Handle tagStream) {
    if (const auto comments = ChannelGetTagList(tagStream, kTagOgg)) {
        std::vector<Chapter> chapters = ChaptersFromVorbisComments(*comments);
        if (!chapters.empty()) return chapters;
    }
    if (const auto tag = ChannelGetTagBlock(tagStream, kTagId3v2)) return ChaptersFromId3v2(*tag);
    return {};
}

}  // namespace tav
