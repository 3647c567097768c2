#pragma once
// The command table of the main window: every command id (or id range) and
// the operation it runs. Menus, accelerators, the tray, global hotkeys and
// posted WM_COMMAND messages all end here.
#include <cstdint>
#include <span>

namespace tav {

using CommandHandler = void (*)(int id, intptr_t lParam);

// Some commands act only while a video is the current media.
enum class CommandGuard { None, VideoKind, VideoLoaded };

struct CommandEntry {
    int first = 0;
    int last = 0;            // inclusive; equal to first for a single id
    const char* operation;   // what the id does, by its operation's name
    CommandGuard guard = CommandGuard::None;
    CommandHandler handler;  // nullptr: the operation is not written yet
};

std::span<const CommandEntry> CommandTable();
const CommandEntry* FindCommand(int id);

// The window supplies the operations that need it (dialogs, closing itself).
// False when no entry has that operation name.
bool BindCommandHandler(const char* operation, CommandHandler handler);

// Runs the operation of id with its lParam; unknown ids do nothing.
void DispatchCommand(int id, intptr_t lParam);

// Global hotkeys: the four media keys post Play/Pause, Stop, Previous and
// Next; any other id posts the command of the user's first assignment.
inline constexpr int kHotkeyMediaPlayPause = 32512;
inline constexpr int kHotkeyMediaStop = 32513;
inline constexpr int kHotkeyMediaPrevious = 32514;
inline constexpr int kHotkeyMediaNext = 32515;
void HandleHotkey(int hotkeyId);

}  // namespace tav
