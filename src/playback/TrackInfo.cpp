#include "playback/TrackInfo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>

#include "history/SongHistory.h"
#include "i18n/Translate.h"
#include "playback/FormatTime.h"
#include "playback/PlaybackSession.h"
#include "playback/Tags.h"
#include "playback/tempo/TempoProcessor.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "playlist/Playlist.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"

namespace tav {

using namespace engine;

namespace {

// Fills the directives of a (translated) format text with ready-made texts,
// in order. A translation with directives that do not fit can only lose a
// value, never read a wrong argument.
std::string Fill(const std::string& format, std::initializer_list<std::string> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && std::string_view("0123456789.-+ #l").find(format[j]) != std::string_view::npos) ++j;
        if (j < format.size() && next != values.end()) out += *next++;
        i = j;
    }
    return out;
}

std::string Tr(const char* english) { return Translate(english); }

std::string Number(long long n) { return std::to_string(n); }

std::string FirstNonEmpty(std::initializer_list<std::string> values) {
    for (const std::string& v : values)
        if (!v.empty()) return v;
    return {};
}

std::optional<Id3v1Tag> Id3v1(Handle ch) { return ReadId3v1(ch); }

std::string ArtistOf(Handle ch) {
    if (std::string v = GetTagValue(ch, "ARTIST"); !v.empty()) return v;
    const auto t = Id3v1(ch);
    return t ? t->artist : std::string();
}

std::string AlbumOf(Handle ch) {
    if (std::string v = GetTagValue(ch, "ALBUM"); !v.empty()) return v;
    const auto t = Id3v1(ch);
    return t ? t->album : std::string();
}

std::string YearOf(Handle ch) {
    if (std::string v = FirstNonEmpty({GetTagValue(ch, "DATE"), GetTagValue(ch, "YEAR")}); !v.empty()) return v;
    const auto t = Id3v1(ch);
    return t ? t->year : std::string();
}

std::string TrackOf(Handle ch) {
    if (std::string v = FirstNonEmpty({GetTagValue(ch, "TRACKNUMBER"), GetTagValue(ch, "TRACK")}); !v.empty()) return v;
    const auto t = Id3v1(ch);
    return t && t->track != 0 ? Number(t->track) : std::string();
}

std::string GenreOf(Handle ch) {
    if (std::string v = GetTagValue(ch, "GENRE"); !v.empty()) return v;
    const auto t = Id3v1(ch);
    return t ? Id3v1GenreName(t->genre) : std::string();
}

std::string CommentOf(Handle ch) {
    if (std::string v = FirstNonEmpty({GetTagValue(ch, "COMMENT"), GetTagValue(ch, "DESCRIPTION")}); !v.empty())
        return v;
    const auto t = Id3v1(ch);
    return t ? t->comment : std::string();
}

std::string Labelled(const char* label, const std::string& value, const char* absent) {
    return value.empty() ? Tr(absent) : Tr(label) + value;
}

int BitrateOf(Handle ch) {
    float v = 0;
    if (!ChannelGetAttribute(ch, kAttribBitrate, &v) || !(v > 0) || v > 1e6f) return 0;
    return static_cast<int>(v);
}

int HeaderInteger(Handle ch, const std::string& key) {
    const std::string v = StreamHeader(ch, key);
    const long n = std::strtol(v.c_str(), nullptr, 10);
    return n > 0 && n < 1'000'000 ? static_cast<int>(n) : 0;
}

TempoProcessor* ActiveProcessor() {
    TempoProcessor* tp = CurrentTempoProcessor();
    return Session().playStream && tp && tp->isActive() ? tp : nullptr;
}

const std::string* CurrentEntry() {
    const Playlist& pl = ThePlaylist();
    return pl.validIndex(pl.current) ? &pl.entries[static_cast<size_t>(pl.current)] : nullptr;
}

std::string FormatLine() {
    const Handle play = Session().playStream;
    ChannelInfo info;
    if (!play || !ChannelGetInfo(play, &info)) return Tr("Cannot get info");
    const Handle ch = InformationChannel();
    int bitrate = BitrateOf(ch);
    if (bitrate <= 0) bitrate = HeaderInteger(ch, "icy-br");
    const std::string chans = info.chans == 1 ? Tr("mono") : info.chans == 2 ? Tr("stereo") : Tr("multi-channel");
    if (bitrate > 0) return Fill(Tr("%d kbps, %d Hz, %s"), {Number(bitrate), Number(info.freq), chans});
    // Every channel of this engine delivers floating-point samples.
    const int bits = (info.flags & kSampleFloat) ? 32 : 16;
    return Fill(Tr("%d-bit, %d Hz, %s"), {Number(bits), Number(info.freq), chans});
}

std::string DurationLine() {
    if (TempoProcessor* tp = ActiveProcessor()) {
        const double length = tp->getLength();
        if (length > 0) {
            const long long l = static_cast<long long>(std::floor(std::min(length, 1e12)));
            const long long h = l / 3600, m = l % 3600 / 60, s = l % 60;
            if (h >= 1) return Fill(Tr("Duration: %d hours, %d minutes, %d seconds"), {Number(h), Number(m), Number(s)});
            if (m > 0) return Fill(Tr("Duration: %d minutes, %d seconds"), {Number(m), Number(s)});
            return Fill(Tr("Duration: %d seconds"), {Number(s)});
        }
    }
    const std::string* entry = CurrentEntry();
    return entry && IsUrl(*entry) ? Tr("Live stream") : Tr("Unknown duration");
}

std::string FileNameLine() {
    const std::string* entry = CurrentEntry();
    if (!entry) return Tr("Nothing playing");
    if (IsUrl(*entry)) return Tr("URL: ") + *entry;
    return Tr("Filename: ") + FileNameOf(*entry);
}

std::string AlbumLine(Handle ch) {
    if (std::string album = AlbumOf(ch); !album.empty()) return Tr("Album: ") + album;
    if (std::string station = StreamHeader(ch, "icy-name"); !station.empty()) return Tr("Station: ") + station;
    return Tr("No album");
}

std::string ChannelsWord(uint32_t chans) {
    return chans == 1 ? Tr("Mono") : chans == 2 ? Tr("Stereo") : Tr("Multi-channel");
}

std::string DialogBitrate() {
    const Handle play = Session().playStream;
    float kbps = 0;
    ChannelInfo info;
    if (!play || !ChannelGetAttribute(play, kAttribBitrate, &kbps) || !(kbps > 0) || !ChannelGetInfo(play, &info))
        return Tr("Unknown bitrate");
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.0f", static_cast<double>(std::min(kbps, 1e9f)));
    return Fill(Tr("%.0f kbps, %d Hz, %s"), {rate, Number(info.freq), ChannelsWord(info.chans)});
}

std::string DialogDuration() {
    const Handle play = Session().playStream;
    double length = 0;
    if (TempoProcessor* tp = ActiveProcessor()) {
        length = tp->getLength();
    } else if (play) {
        const int64_t bytes = ChannelGetLength(play);
        if (bytes > 0) length = ChannelBytes2Seconds(play, bytes);
    }
    return length > 0 ? FormatTime(length) : Tr("Unknown duration");
}

}  // namespace

Handle InformationChannel() {
    const PlaybackSession& s = Session();
    return s.sourceStream ? s.sourceStream : s.playStream;
}

std::string TitleLine(Handle ch) {
    if (std::string t = GetStreamTitle(ch); !t.empty()) return t;
    std::string title = GetTagValue(ch, "TITLE"), artist = GetTagValue(ch, "ARTIST");
    if (title.empty() || artist.empty()) {
        if (const auto v1 = Id3v1(ch)) {
            if (title.empty()) title = v1->title;
            if (artist.empty()) artist = v1->artist;
        }
    }
    if (!artist.empty() && !title.empty()) return artist + " - " + title;
    if (!title.empty()) return title;
    if (!artist.empty()) return artist;
    return Tr("No title");
}

std::string TrackInfoText(int commandId) {
    if (commandId >= 209 && commandId <= 211) {
        TempoProcessor* tp = ActiveProcessor();
        if (!tp) return {};
        const double position = tp->getPosition(), length = tp->getLength();
        if (commandId == 209) return FormatTime(position);
        if (commandId == 210) return FormatTime(std::max(0.0, length - position));
        return FormatTime(length);
    }
    const bool known = commandId == 214 || (commandId >= 260 && commandId <= 269);
    if (!known) return {};
    const Handle ch = InformationChannel();
    if (!ch) return Tr("Nothing playing");
    switch (commandId) {
        case 214:
        case 261: return TitleLine(ch);
        case 260: return FileNameLine();
        case 262: return Labelled("Artist: ", ArtistOf(ch), "No artist");
        case 263: return AlbumLine(ch);
        case 264: return Labelled("Year: ", YearOf(ch), "No year");
        case 265: return Labelled("Track: ", TrackOf(ch), "No track number");
        case 266: return Labelled("Genre: ", GenreOf(ch), "No genre");
        case 267: return Labelled("Comment: ", CommentOf(ch), "No comment");
        case 268: return FormatLine();
        case 269: return DurationLine();
        default: return {};
    }
}

void SpeakTrackInfo(int commandId) {
    if (std::string text = TrackInfoText(commandId); !text.empty()) Speak(text, true);
}

std::string TagDialogCaption(int commandId) {
    static const char* const kCaptions[] = {"Title", "Artist", "Album",   "Year",     "Track",
                                            "Genre", "Comment", "Bitrate", "Duration", "Filename"};
    if (commandId < 270 || commandId > 279) return {};
    return Tr(kCaptions[commandId - 270]);
}

std::string TagDialogValue(int commandId) {
    if (commandId < 270 || commandId > 279) return {};
    const Handle ch = InformationChannel();
    if (!ch) return Tr("Nothing playing");
    auto orAbsent = [](const std::string& v, const char* absent) { return v.empty() ? Tr(absent) : v; };
    switch (commandId) {
        case 270: return TitleLine(ch);
        case 271: return orAbsent(ArtistOf(ch), "No artist");
        case 272: return orAbsent(AlbumOf(ch), "No album");
        case 273: return orAbsent(YearOf(ch), "No year");
        case 274: return orAbsent(TrackOf(ch), "No track");
        case 275: return orAbsent(GenreOf(ch), "No genre");
        case 276: return orAbsent(CommentOf(ch), "No comment");
        case 277: return DialogBitrate();
        case 278: return DialogDuration();
        default: {
            const std::string* entry = CurrentEntry();
            if (!entry) return Tr("Nothing playing");
            return IsUrl(*entry) ? *entry : FileNameOf(*entry);
        }
    }
}

void OnStreamTitleChanged() {
    if (const Handle ch = InformationChannel()) {
        if (const std::string title = GetStreamTitle(ch); !title.empty()) {
            AddSongTitle(title);
            if (Settings().speech.TrackChange) Speak(title, true);
        }
    }
    RefreshWindowTitle();
}

}  // namespace tav
