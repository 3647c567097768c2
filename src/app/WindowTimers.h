#pragma once
// The main window's timers that other parts start: 403 ends a scheduled
// event's duration, 410 hides the mouse cursor in a full-screen video. Their
// expiry runs the owners' operations; without a main window these do nothing.
namespace tav {

class WindowTimers {
public:
    virtual ~WindowTimers() = default;
    virtual void startTimer(int id, int milliseconds) = 0;  // one-shot, restarts a running one
    virtual void killTimer(int id) = 0;
};

inline constexpr int kTimerScheduledEventEnd = 403;
inline constexpr int kTimerHideFullscreenCursor = 410;

void SetWindowTimers(WindowTimers* timers);
void StartWindowTimer(int id, int milliseconds);
void KillWindowTimer(int id);

}  // namespace tav
