#pragma once
// Moving through the media: the movement units that comma and period cycle
// through, Left and Right by the current unit, the two seek primitives every
// other module uses, chapter navigation and the jump-to-time text.
#include <span>
#include <string>
#include <string_view>

#include "storage/AppSettings.h"

namespace tav {

// One row of the fixed unit table. Index 12, the chapter unit, has no row.
struct MovementUnit {
    double amount;             // seconds, or playlist entries when countsTracks
    const char* spokenName;    // English; spoken through Translate
    int checkBoxId;            // its check box on the Options dialog's Movement tab
    bool countsTracks;
    const char* key;           // its enabling key in section "Movement"
    bool AppSettings::Movement::*enabled;
};

inline constexpr int kMovementUnitRows = 12;  // units 0 ... 11
inline constexpr int kChapterUnit = 12;
inline constexpr int kChapterCheckBoxId = 900;

std::span<const MovementUnit, kMovementUnitRows> MovementUnits();

// The unit's enabling key is on (ChapterSeek for 12); false outside 0 ... 12.
bool IsMovementUnitEnabled(int unit);
// Enabled and usable now: track units need two playlist entries, the
// chapter unit needs chapters in what is loaded.
bool IsMovementUnitAvailable(int unit);
// "1 chapter" for 12, the row's name for 0 ... 11, empty otherwise (English).
std::string MovementUnitName(int unit);
// The row's amount for 0 ... 11, otherwise 5.
double MovementUnitAmount(int unit);

// Relative seek (negative = back), clamped to the media; ignored for live
// streams and while a track change or an open is in progress.
void SeekBy(double seconds);
// Absolute seek, clamped to the media, with the same refusals.
void SeekTo(double seconds);

// Commands 220 (-1) and 221 (+1): the next available unit in that direction,
// without wrapping, spoken. Does not save the settings.
void CycleMovementUnit(int direction);
// Commands 205 (-1) and 206 (+1): move by the current unit.
void MoveByCurrentUnit(int sign);
void SeekBackward();       // 205
void SeekForward();        // 206
void SeekToBeginning();    // 216
void SpeakMovementUnit();  // 250

// Chapter navigation; false when nothing was done.
bool NextChapter();
bool PreviousChapter();

// The jump-to-time text, first matching form wins: "h:m:s", "m:s", or a
// number of seconds. -1 when none matches. At most 64 characters are read.
double ParseJumpTime(std::string_view text);
// Seeks to the parsed time when there is one (the dialog's OK).
void JumpToTime(std::string_view text);

}  // namespace tav
