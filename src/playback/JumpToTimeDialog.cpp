#include "playback/JumpToTimeDialog.h"

#include <algorithm>

#include "app/TextPrompt.h"
#include "playback/AudioEngine.h"
#include "playback/FormatTime.h"
#include "playback/Seeking.h"

namespace tav {

namespace {

enum { kIdDialog = 660, kIdTimeEdit = 661 };
constexpr unsigned long kMaxTimeText = 64;

}  // namespace

void ShowJumpToTimeDialog(wxWindow* parent) {
    TextPrompt prompt;
    prompt.dialogId = kIdDialog;
    prompt.caption = "Jump to Time";
    prompt.label = "Enter &time (mm:ss or hh:mm:ss):";
    prompt.editId = kIdTimeEdit;
    prompt.width = 220;
    prompt.maxLength = kMaxTimeText;
    prompt.initial = FormatTime(std::max(0.0, CurrentPosition()));
    if (auto text = AskForText(parent, prompt)) JumpToTime(*text);
}

}  // namespace tav
