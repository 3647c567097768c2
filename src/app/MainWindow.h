#pragma once
// The main window: menu bar, status bar, a focus-holding client area with the
// hidden video host, the timers, the command dispatch and the messages other
// threads post.
#include <array>
#include <memory>
#include <string>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/HandOverReceiver.h"
#include "app/SingleInstance.h"
#include "app/WindowDisplay.h"
#include "app/WindowTimers.h"
#include "platform/Posting.h"
#include "platform/Ui.h"

class wxMenu;

namespace tav {

class MainWindow : public wxFrame, public UiServices, public WindowDisplay, public WindowTimers {
public:
    enum TimerId { kTimerStatus = 400, kTimerBatch = 401, kTimerScheduler = 402, kTimerScheduledEnd = 403,
                   kTimerFullscreenCursor = 410 };

    MainWindow();
    ~MainWindow() override;

    // The creation sequence. False: creation is refused (the audio output
    // cannot start); the caller reports it.
    bool create();

    // After a refused creation: the destruction sequence for what was set up,
    // then the window goes without ending the message loop.
    void abandon();

    void focusClientArea();

    // The one main window while it exists.
    static MainWindow* Current();

    // WindowDisplay: the three status-bar fields (time, volume, state), which
    // the screen reader also gets as the status bar's name, and the caption.
    void setStatusTexts(const std::array<std::string, 3>& texts) override;
    void setTitle(const std::string& caption) override;

    // WindowTimers: 403 and 410.
    void startTimer(int id, int milliseconds) override;
    void killTimer(int id) override;

    void handlePosted(const PostedMessage& message);

    // UiServices
    int messageBox(const std::string& text, const std::string& caption, BoxIcon icon, BoxButtons buttons) override;
    void refreshWindowTitle() override;
    void refreshStatusBar() override;
    bool videoHostVisible() override;
    void hideVideoHost() override;
    void setMenuCheck(int command, bool checked) override;

    // Commands the window runs itself.
    void openFilesDialog();
    void openUrlDialog();
    void openReadme();
    void showLoadedPlugins();


private:
    void buildMenuBar();
    void translateMenuBar();
    void rebuildRecentFiles();
    void runDestruction();
    void bringToFront();
    void startBatchTimer(int milliseconds);
    void killBatchTimer();

    void onClose(wxCloseEvent& event);
    void onMenu(wxCommandEvent& event);
    void onMenuOpen(wxMenuEvent& event);
    void onCharHook(wxKeyEvent& event);
    void onTimer(wxTimerEvent& event);
    void onIconize(wxIconizeEvent& event);
    void onActivate(wxActivateEvent& event);

    wxWindow* panel_ = nullptr;  // the focus-holding client area
    wxWindow* videoHost_ = nullptr;
    wxMenu* fileMenu_ = nullptr;
    wxMenu* recentMenu_ = nullptr;
    std::array<std::string, 3> statusTexts_;
    std::string statusAccessible_;
    wxTimer statusTimer_, batchTimer_, schedulerTimer_, scheduledEndTimer_, cursorTimer_;
    unsigned batchGeneration_ = 0;
    HandOverReceiver receiver_;
    HandOverServer handOverServer_;
    bool destroyed_ = false;
};

// Shows "Failed to create window." the way start-up reports it.
void ShowCreateWindowFailure();

}  // namespace tav
