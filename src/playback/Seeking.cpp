#include "playback/Seeking.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "i18n/Translate.h"
#include "platform/Ui.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Navigation.h"
#include "playlist/Playlist.h"
#include "speech/AnnouncementQueue.h"

namespace tav {

namespace {

using M = AppSettings::Movement;

constexpr std::array<MovementUnit, kMovementUnitRows> kUnits{{
    {1, "1 second", 510, false, "Seek1s", &M::Seek1s},
    {5, "5 seconds", 511, false, "Seek5s", &M::Seek5s},
    {10, "10 seconds", 512, false, "Seek10s", &M::Seek10s},
    {30, "30 seconds", 513, false, "Seek30s", &M::Seek30s},
    {60, "1 minute", 514, false, "Seek1m", &M::Seek1m},
    {300, "5 minutes", 515, false, "Seek5m", &M::Seek5m},
    {600, "10 minutes", 516, false, "Seek10m", &M::Seek10m},
    {1800, "30 minutes", 545, false, "Seek30m", &M::Seek30m},
    {3600, "1 hour", 546, false, "Seek1h", &M::Seek1h},
    {1, "1 track", 517, true, "Seek1t", &M::Seek1t},
    {5, "5 tracks", 518, true, "Seek5t", &M::Seek5t},
    {10, "10 tracks", 519, true, "Seek10t", &M::Seek10t},
}};

constexpr double kDefaultAmount = 5.0;
// How far into a chapter Previous goes back to its start instead of the
// chapter before.
constexpr double kChapterRestartSeconds = 3.0;
// A chapter this close ahead counts as the one already playing, so Next is
// not stuck on a chapter a seek has just landed on.
constexpr double kChapterAheadSeconds = 0.5;
constexpr size_t kJumpTextMax = 64;

bool Loaded() { return Session().playStream != 0; }
bool Busy() { return Session().trackChanging || Session().loading; }

// The processor when it can seek in a stream of known length.
TempoProcessor* SeekableProcessor() {
    TempoProcessor* tp = GetTempoProcessor();
    if (!tp || !tp->isActive() || !(tp->getLength() > 0)) return nullptr;
    return tp;
}

void SeekClamped(TempoProcessor* tp, double target) {
    tp->seek(std::min(tp->getLength(), std::max(0.0, target)));
    RefreshStatusBar();
}

void AnnounceChapter(size_t index) {
    std::string text = Translate("Chapter ") + std::to_string(index + 1);
    const std::string& title = Session().chapters[index].title;
    if (!title.empty()) text += ": " + title;
    Speak(text);
}

void SpeakUnit(int unit) {
    const std::string name = MovementUnitName(unit);
    if (!name.empty()) Speak(Translate(name));
}

// What sscanf's %d and %lf accept, without its undefined behaviour on
// numbers too large for an int: whitespace, a sign, digits.
struct Scanner {
    std::string_view s;
    size_t i = 0;

    void skipSpace() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    }
    std::optional<double> integer() {
        skipSpace();
        size_t j = i;
        bool negative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
        const size_t digits = j;
        double v = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) v = v * 10 + (s[j++] - '0');
        if (j == digits) return std::nullopt;
        i = j;
        return negative ? -v : v;
    }
    bool literal(char c) {
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    std::optional<double> real() {
        skipSpace();
        size_t j = i;
        if (j < s.size() && s[j] == '+') {
            ++j;
            if (j < s.size() && s[j] == '-') return std::nullopt;
        }
        double v = 0;
        const auto r = std::from_chars(s.data() + j, s.data() + s.size(), v);
        if (r.ec == std::errc::invalid_argument) return std::nullopt;
        // Out of range: the value saturates, as strtod's does.
        if (r.ec == std::errc::result_out_of_range) v = (j < s.size() && s[j] == '-') ? -HUGE_VAL : HUGE_VAL;
        i = static_cast<size_t>(r.ptr - s.data());
        return v;
    }
};

}  // namespace

std::span<const MovementUnit, kMovementUnitRows> MovementUnits() { return kUnits; }

bool IsMovementUnitEnabled(int unit) {
    const M& m = Settings().movement;
    if (unit == kChapterUnit) return m.ChapterSeek;
    if (unit < 0 || unit >= kMovementUnitRows) return false;
    return m.*kUnits[static_cast<size_t>(unit)].enabled;
}

bool IsMovementUnitAvailable(int unit) {
    if (!IsMovementUnitEnabled(unit)) return false;
    if (unit == kChapterUnit) return !Session().chapters.empty();
    if (kUnits[static_cast<size_t>(unit)].countsTracks) return ThePlaylist().size() >= 2;
    return true;
}

std::string MovementUnitName(int unit) {
    if (unit == kChapterUnit) return "1 chapter";
    if (unit < 0 || unit >= kMovementUnitRows) return {};
    return kUnits[static_cast<size_t>(unit)].spokenName;
}

double MovementUnitAmount(int unit) {
    if (unit < 0 || unit >= kMovementUnitRows) return kDefaultAmount;
    return kUnits[static_cast<size_t>(unit)].amount;
}

void SeekBy(double seconds) {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        // The video engine cannot seek yet.
        RefreshStatusBar();
        return;
    }
    if (!Loaded() || Busy() || std::isnan(seconds)) return;
    // A stream freed behind our back: drop the stale handles, they are not ours to free.
    if (engine::ChannelIsActive(s.playStream) == engine::kStopped && engine::ErrorGetCode() == engine::kErrHandle) {
        s.playStream = 0;
        s.sourceStream = 0;
        return;
    }
    TempoProcessor* tp = SeekableProcessor();
    if (!tp) return;
    SeekClamped(tp, tp->getPosition() + seconds);
}

void SeekTo(double seconds) {
    PlaybackSession& s = Session();
    if (s.mediaKind == MediaKind::Video) {
        // The video engine cannot seek yet.
        RefreshStatusBar();
        return;
    }
    if (!Loaded() || Busy() || std::isnan(seconds)) return;
    // Live streams report no length: there is nowhere to seek to.
    if (TempoProcessor* tp = SeekableProcessor()) SeekClamped(tp, seconds);
}

void CycleMovementUnit(int direction) {
    int& current = Settings().movement.CurrentSeek;
    int count = 0;
    int first = -1;
    for (int u = 0; u <= kChapterUnit; ++u) {
        if (!IsMovementUnitAvailable(u)) continue;
        if (first < 0) first = u;
        ++count;
    }
    if (count == 0) {
        current = 1;
        SpeakUnit(current);
        return;
    }
    if (!IsMovementUnitAvailable(current)) current = first;
    if (count > 1 && (direction == 1 || direction == -1)) {
        for (int u = current + direction; u >= 0 && u <= kChapterUnit; u += direction) {
            if (IsMovementUnitAvailable(u)) {
                current = u;
                break;
            }
        }
    }
    SpeakUnit(current);
}

void MoveByCurrentUnit(int sign) {
    const int unit = Settings().movement.CurrentSeek;
    if (unit == kChapterUnit) {
        if (Session().chapters.empty()) return;
        if (sign < 0)
            PreviousChapter();
        else
            NextChapter();
        return;
    }
    if (unit >= 0 && unit < kMovementUnitRows && kUnits[static_cast<size_t>(unit)].countsTracks) {
        if (ThePlaylist().size() >= 2) {
            MoveByTracks(sign * static_cast<int>(kUnits[static_cast<size_t>(unit)].amount));
            return;
        }
        // Nothing to move to: fall back to the first enabled time unit.
        for (const MovementUnit& row : kUnits) {
            if (row.countsTracks) break;
            if (Settings().movement.*row.enabled) {
                SeekBy(sign * row.amount);
                return;
            }
        }
        return;
    }
    SeekBy(sign * MovementUnitAmount(unit));
}

void SeekBackward() { MoveByCurrentUnit(-1); }
void SeekForward() { MoveByCurrentUnit(1); }
void SeekToBeginning() { SeekTo(0); }
void SpeakMovementUnit() { SpeakUnit(Settings().movement.CurrentSeek); }

bool NextChapter() {
    const auto& chapters = Session().chapters;
    if (chapters.empty() || !Loaded()) return false;
    const double p = CurrentPosition();
    for (size_t i = 0; i < chapters.size(); ++i) {
        if (chapters[i].start > p + kChapterAheadSeconds) {
            SeekTo(chapters[i].start);
            AnnounceChapter(i);
            return true;
        }
    }
    return false;
}

bool PreviousChapter() {
    const auto& chapters = Session().chapters;
    if (chapters.empty() || !Loaded()) return false;
    const double p = CurrentPosition();
    size_t n = 0;  // chapters that have begun
    while (n < chapters.size() && chapters[n].start <= p) ++n;
    if (n == 0) {
        SeekTo(0);
        return true;
    }
    const size_t k = n - 1;
    if (p - chapters[k].start > kChapterRestartSeconds) {
        SeekTo(chapters[k].start);
        AnnounceChapter(k);
    } else if (k > 0) {
        SeekTo(chapters[k - 1].start);
        AnnounceChapter(k - 1);
    } else {
        SeekTo(0);
        Speak(Translate("Beginning"));
    }
    return true;
}

double ParseJumpTime(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kJumpTextMax));
    {
        Scanner sc{text};
        auto h = sc.integer();
        if (h && sc.literal(':')) {
            auto m = sc.integer();
            if (m && sc.literal(':')) {
                if (auto s = sc.integer()) return *h * 3600 + *m * 60 + *s;
            }
        }
    }
    {
        Scanner sc{text};
        auto m = sc.integer();
        if (m && sc.literal(':')) {
            if (auto s = sc.integer()) return *m * 60 + *s;
        }
    }
    Scanner sc{text};
    if (auto v = sc.real()) return *v;
    return -1;
}

void JumpToTime(std::string_view text) {
    const double t = ParseJumpTime(text);
    if (t >= 0) SeekTo(t);
}

}  // namespace tav
