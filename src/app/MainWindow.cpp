#include "app/MainWindow.h"

#include <chrono>
#include <functional>
#include <mutex>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

#include "app/Accessibility.h"
#include "app/Commands.h"
#include "app/KeyInput.h"
#include "app/Log.h"
#include "app/OpenUrlDialog.h"
#include "app/Pending.h"
#include "app/ShellActions.h"
#include "app/ShellMessages.h"
#include "app/Startup.h"
#include "app/StatusLine.h"
#include "app/TestLog.h"
#include "i18n/Translate.h"
#include "playback/AudioEngine.h"
#include "playback/JumpToTimeDialog.h"
#include "playback/PlaybackSession.h"
#include "playback/Recording.h"
#include "playback/TagDialog.h"
#include "playback/TrackInfo.h"
#include "playback/Volume.h"
#include "playlist/ResumePositions.h"
#include "playlist/Playlist.h"
#include "resources/MainMenu.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"

namespace tav {

namespace {

MainWindow* gMainWindow = nullptr;

wxString Wx(const std::string& utf8) { return wxString::FromUTF8(utf8); }
wxString Tr(const char* english) { return Wx(Translate(english)); }

// What other threads post reaches the UI thread through the application's
// event queue. The poster outlives the window, so a thread that posts while
// the window goes away finds it closed instead of freed.
class AppPoster : public Poster {
public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    void close() {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    void post(PostedMessage message) override {
        std::lock_guard lock(mutex_);
        if (!open_ || !wxTheApp) return;
        wxTheApp->CallAfter([message = std::move(message)] {
            if (MainWindow* w = MainWindow::Current()) w->handlePosted(message);
        });
    }

private:
    std::mutex mutex_;
    bool open_ = false;
};

AppPoster& ThePoster() {
    static AppPoster poster;
    return poster;
}

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The client area: it holds the keyboard focus (wx delivers the bare-key
// accelerators only to a window with a focused child) and hosts the video.
class ClientArea : public wxWindow {
public:
    explicit ClientArea(wxWindow* parent) : wxWindow(parent, wxID_ANY) {}
    bool AcceptsFocus() const override { return true; }
    bool AcceptsFocusFromKeyboard() const override { return true; }
};

// The picture of a playing video; hidden until a video plays.
class VideoHost : public wxWindow {
public:
    explicit VideoHost(wxWindow* parent) : wxWindow(parent, wxID_ANY) { SetBackgroundColour(*wxBLACK); }
    bool AcceptsFocus() const override { return false; }
};

void AppendEntries(wxMenu* menu, const std::vector<MenuEntry>& entries, wxMenu** recent) {
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Kind::Item: menu->Append(e.id, Wx(e.text)); break;
            case MenuEntry::Kind::Check: menu->AppendCheckItem(e.id, Wx(e.text)); break;
            case MenuEntry::Kind::Separator: menu->AppendSeparator(); break;
            case MenuEntry::Kind::Submenu: {
                auto* sub = new wxMenu;
                AppendEntries(sub, e.children, recent);
                menu->AppendSubMenu(sub, Wx(e.text));
                if (e.text == kRecentFilesMenuText) *recent = sub;
                break;
            }
        }
    }
}

void TranslateMenu(wxMenu* menu) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
        if (item->IsSeparator()) continue;
        const wxString label = item->GetItemLabel();
        if (!label.empty()) {
            const wxString translated = Wx(Translate(label.utf8_string()));
            if (translated != label) item->SetItemLabel(translated);
        }
        if (item->IsSubMenu()) TranslateMenu(item->GetSubMenu());
    }
}

void RunOpenFiles(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) w->openFilesDialog();
}
void RunDestroyMainWindow(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) w->Close(true);
}
void RunOpenUrl(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) w->openUrlDialog();
}
void RunLoadedPlugins(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) w->showLoadedPlugins();
}
void RunReadme(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) w->openReadme();
}
void RunTagDialog(int id, intptr_t) { ShowTagDialog(id); }
void RunJumpToTime(int, intptr_t) {
    if (MainWindow* w = MainWindow::Current()) ShowJumpToTimeDialog(w);
}

// The output devices as a popup menu at the pointer; the choice switches.
void RunDeviceMenu(int, intptr_t) {
    MainWindow* w = MainWindow::Current();
    if (!w) return;
    const std::vector<DeviceMenuItem> items = DeviceMenuItems();
    if (items.empty()) {
        Speak(Translate("No audio devices found"));
        return;
    }
    wxMenu menu;
    for (const DeviceMenuItem& item : items) {
        menu.AppendCheckItem(item.command, Wx(item.name));
        menu.Check(item.command, item.checked);
    }
    // A window hidden in the tray is shown for the menu, and hidden again after.
    const bool wasShown = w->IsShown();
    if (!wasShown) w->Show();
    w->Raise();
    const int chosen = w->GetPopupMenuSelectionFromUser(menu);
    if (chosen >= 5000 && chosen <= 5099) SwitchToDevice(chosen - 5000);
    if (!wasShown) w->Hide();
}

void BindWindowCommands() {
    BindCommandHandler("ShowDeviceMenu", &RunDeviceMenu);
    BindCommandHandler("OpenFilesCommand", &RunOpenFiles);
    BindCommandHandler("DestroyMainWindow", &RunDestroyMainWindow);
    BindCommandHandler("OpenUrlDialog", &RunOpenUrl);
    BindCommandHandler("ShowLoadedPlugins", &RunLoadedPlugins);
    BindCommandHandler("OpenReadme", &RunReadme);
    BindCommandHandler("ShowJumpToTimeDialog", &RunJumpToTime);
    BindCommandHandler("ShowTagDialog", &RunTagDialog);
}

// The open dialog's filters: four named ones, then all files.
const char* const kOpenFilter =
    "All Supported|*.mp3;*.mp2;*.mp1;*.wav;*.ogg;*.oga;*.flac;*.m4a;*.m4b;*.m4r;*.mp4;*.wma;*.wmv;*.aac;*.opus;"
    "*.aiff;*.aif;*.ape;*.wv;*.alac;*.mid;*.midi;*.rmi;*.kar;*.dff;*.dsf;*.cda;*.mod;*.s3m;*.xm;*.it;*.mtm;*.umx;"
    "*.m3u;*.m3u8;*.pls"
    "|Audio Files|*.mp3;*.mp2;*.mp1;*.wav;*.ogg;*.oga;*.flac;*.m4a;*.m4b;*.m4r;*.mp4;*.wma;*.aac;*.opus;*.aiff;"
    "*.aif;*.ape;*.wv;*.alac;*.mid;*.midi;*.rmi;*.kar;*.dff;*.dsf;*.cda;*.mod;*.s3m;*.xm;*.it;*.mtm;*.umx"
    "|Video Files|*.wmv;*.mp4"
    "|Playlists|*.m3u;*.m3u8;*.pls"
    "|All Files (*.*)|*.*";

}  // namespace

MainWindow* MainWindow::Current() { return gMainWindow; }

MainWindow::MainWindow()
    : wxFrame(nullptr, wxID_ANY, "Tavrolune", wxDefaultPosition, wxSize(500, 150)),
      statusTimer_(this, kTimerStatus),
      batchTimer_(this, kTimerBatch),
      schedulerTimer_(this, kTimerScheduler),
      scheduledEndTimer_(this, kTimerScheduledEnd),
      cursorTimer_(this, kTimerFullscreenCursor),
      receiver_(HandOverReceiver::Hooks{
          &TickCount,
          [this](int ms) { startBatchTimer(ms); },
          [this] { killBatchTimer(); },
          [](int index) { StartTrackFromShell(index); },
          [this] { bringToFront(); },
      }) {
    buildMenuBar();
    SetAcceleratorTable(BuildMainAccelerators());

    Bind(wxEVT_CLOSE_WINDOW, &MainWindow::onClose, this);
    Bind(wxEVT_MENU, &MainWindow::onMenu, this);
    Bind(wxEVT_MENU_OPEN, &MainWindow::onMenuOpen, this);
    Bind(wxEVT_CHAR_HOOK, &MainWindow::onCharHook, this);
    Bind(wxEVT_TIMER, &MainWindow::onTimer, this);
    Bind(wxEVT_ICONIZE, &MainWindow::onIconize, this);
    Bind(wxEVT_ACTIVATE, &MainWindow::onActivate, this);
}

MainWindow::~MainWindow() {
    if (gMainWindow == this) gMainWindow = nullptr;
}

void MainWindow::buildMenuBar() {
    // GTK refuses bare arrows as menu accelerators and wx says so in its debug
    // log; the key handler serves those keys.
    wxLogNull quiet;
    auto* bar = new wxMenuBar;
    for (const MenuEntry& top : MainMenu()) {
        auto* menu = new wxMenu;
        AppendEntries(menu, top.children, &recentMenu_);
        bar->Append(menu, Wx(top.text));
        if (!fileMenu_) fileMenu_ = menu;
    }
    SetMenuBar(bar);
    rebuildRecentFiles();
}

void MainWindow::translateMenuBar() {
    wxMenuBar* bar = GetMenuBar();
    if (!bar) return;
    wxLogNull quiet;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        const wxString label = bar->GetMenuLabel(i);
        const wxString translated = Wx(Translate(label.utf8_string()));
        if (translated != label) bar->SetMenuLabel(i, translated);
        TranslateMenu(bar->GetMenu(i));
    }
    // wx drops the shortcut GTK refuses from the item, so it is taken from
    // the resource text.
    std::vector<std::pair<int, std::string>> labels;
    std::function<void(const std::vector<MenuEntry>&)> collect = [&](const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& e : entries) {
            if (e.kind == MenuEntry::Kind::Submenu) collect(e.children);
            else if (e.text.find('\t') != std::string::npos) labels.emplace_back(e.id, Translate(e.text));
        }
    };
    collect(MainMenu());
    ShowRefusedMenuShortcuts(bar, labels);
}

void MainWindow::rebuildRecentFiles() {
    if (!recentMenu_) return;
    while (recentMenu_->GetMenuItemCount() > 0) recentMenu_->Destroy(recentMenu_->FindItemByPosition(0));
    const std::vector<std::string>& entries = TheRecentFiles().entries;
    if (entries.empty()) {
        recentMenu_->Append(kRecentFilesEmptyId, Tr(kRecentFilesEmptyText))->Enable(false);
        return;
    }
    const int count = std::min(static_cast<int>(entries.size()), RecentFiles::kMax);
    for (int i = 0; i < count; ++i)
        recentMenu_->Append(kRecentFileFirstId + i, Wx(RecentFileItemText(i, entries[static_cast<size_t>(i)])));
}

bool MainWindow::create() {
    // 1. The window is known to the rest of the program from here on.
    gMainWindow = this;
    ThePoster().open();
    SetPoster(&ThePoster());
    SetUiServices(this);
    NameMessageBoxesByCaption();
    BindWindowCommands();

    // 3. Status bar: time, volume, state.
    wxStatusBar* bar = CreateStatusBar(3);
    const int widths[3] = {200, 100, -1};
    bar->SetStatusWidths(3, widths);
    MakeStatusBarAccessible(bar);
    SetWindowDisplay(this);
    SetWindowTimers(this);

    // 4. The client area holds the keyboard focus; the video host lives
    // inside it, hidden.
    panel_ = new ClientArea(this);
    SetAccessibleName(panel_, Translate("Tavrolune"));
    videoHost_ = new VideoHost(panel_);
    SetAccessibleName(videoHost_, Translate("Video"));
    KeepFocusAway(videoHost_);
    MarkAsFiller(panel_);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(videoHost_, 1, wxEXPAND);
    panel_->SetSizer(sizer);
    videoHost_->Hide();

    // 5. Without audio output there is no player.
    if (!StartAudioEngine()) return false;
    panel_->SetFocus();

    NotYet_OpenDatabase();                                     // 6.
    NotYet_ResetEffectParameters();                            // 7.
    LoadDspSettings();
    AnnouncementQueue::instance().init();                      // 8.
    NotYet_RegisterAllHotkeys();                               // 9.
    GetMenuBar()->Check(215, Settings().playback.Shuffle);     // 10.
    rebuildRecentFiles();  // the list was read with the DSP settings
    translateMenuBar();
    statusTimer_.Start(250);                                   // 11.
    schedulerTimer_.Start(60000);
    receiver_.markStart();                                     // 12.

    // 13. The first track: the command line's playlist, or the folder of its
    // one file.
    Playlist& pl = ThePlaylist();
    if (!pl.entries.empty()) {
        int start = 0;
        if (Settings().playback.LoadFolder && pl.entries.size() == 1) {
            const int index = NotYet_LoadFolderOfFile(pl.entries.front());
            if (index >= 0) start = index;
        }
        StartTrackFromShell(start);
    }
    UpdateStatusBar();                                         // 14.
    if (Settings().playback.CheckForUpdates) NotYet_StartReleaseCheck();  // 15.
    NotYet_StartYtdlpUpdate();                                 // 16.

    // From now on a second start finds this window, unless another running
    // window already answers there (this one was started beside it).
    if (!InstanceListening(InstanceSocketPath()))
        handOverServer_.start(InstanceSocketPath(),
                              [](const HandOverMessage& m) { return RelayHandOverToUi(m, kHandOverUiWait); });
    return true;
}

void MainWindow::runDestruction() {
    if (destroyed_) return;
    destroyed_ = true;
    // No further hand-overs: this window is going away.
    CancelHandOverRelays();
    handOverServer_.stop();

    statusTimer_.Stop();                                       // 1.
    schedulerTimer_.Stop();
    scheduledEndTimer_.Stop();
    killBatchTimer();
    cursorTimer_.Stop();
    NotYet_RemoveTrayIcon();                                   // 2.
    NotYet_UnregisterAllHotkeys();                             // 3.
    StopRecording();                                           // 4.
    const PlaybackSession& s = Session();                      // 5.
    const Playlist& pl = ThePlaylist();
    if (s.playStream != 0 && s.mediaKind == MediaKind::Audio && pl.validIndex(pl.current))
        SaveResumePosition(pl.entries[static_cast<size_t>(pl.current)]);
    SavePlaylistState();                                       // 6.
    SaveSettings();
    NotYet_CleanLegacyTemp();                                  // 7.
    NotYet_ClearYoutubeSearchResults();
    NotYet_CloseDatabase();                                    // 8.
    NotYet_ShutdownVideoEngine();                              // 9.
    StopLog();                                                 // 10.
    FreeAudioEngine();                                         // 11.
    AnnouncementQueue::instance().shutdown();                  // 12.

    SetWindowDisplay(nullptr);
    SetWindowTimers(nullptr);
    SetUiServices(nullptr);
    SetPoster(nullptr);
    ThePoster().close();
}

void MainWindow::abandon() {
    runDestruction();
    gMainWindow = nullptr;
    Destroy();
}

void MainWindow::onClose(wxCloseEvent&) {
    runDestruction();
    Destroy();
    gMainWindow = nullptr;
    // 13. The message loop ends with the window.
    if (wxTheApp) wxTheApp->ExitMainLoop();
}

void MainWindow::onMenu(wxCommandEvent& event) { DispatchCommand(event.GetId(), 0); }

void MainWindow::onMenuOpen(wxMenuEvent& event) {
    if (event.GetMenu() == fileMenu_ || event.GetMenu() == recentMenu_) rebuildRecentFiles();
    event.Skip();
}

void MainWindow::onCharHook(wxKeyEvent& event) {
    wxWindow* focus = wxWindow::FindFocus();
    if ((focus && wxGetTopLevelParent(focus) != this) || NotYet_YoutubeDialogHasFocus()) {
        event.Skip();
        return;
    }
    // Escape leaves full screen while a video fills the screen.
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE && Session().fullScreen) {
        PostCommand(1200);
        return;
    }
    if (const int command = CommandForKeyHandler(event)) {
        DispatchCommand(command, 0);
        return;
    }
    event.Skip();
}

void MainWindow::onTimer(wxTimerEvent& event) {
    switch (event.GetId()) {
        case kTimerStatus: UpdateStatusBar(); break;
        case kTimerBatch: receiver_.applyBatch(); break;
        case kTimerScheduler: NotYet_CheckScheduledEvents(); break;
        case kTimerScheduledEnd:
            scheduledEndTimer_.Stop();
            NotYet_EndScheduledEvent();
            break;
        case kTimerFullscreenCursor: NotYet_HideFullscreenCursor(); break;
        default: break;
    }
}

void MainWindow::onIconize(wxIconizeEvent& event) {
    if (event.IsIconized() && Settings().playback.MinimizeToTray) NotYet_HideToTray();
    event.Skip();
}

void MainWindow::onActivate(wxActivateEvent& event) {
    // The keys work only while the panel has the focus; it gets it back
    // whenever the window becomes active again (a dialog has closed).
    if (event.GetActive() && panel_) CallAfter([this] {
            if (panel_ && IsActive()) panel_->SetFocus();
        });
    event.Skip();
}

void MainWindow::focusClientArea() {
    if (panel_) panel_->SetFocus();
}

void MainWindow::startBatchTimer(int milliseconds) {
    killBatchTimer();
    if (milliseconds > 0) {
        batchTimer_.StartOnce(milliseconds);
        return;
    }
    // No delay: the batch is applied as soon as the loop is idle again, before
    // the next handed-over file.
    const unsigned generation = batchGeneration_;
    CallAfter([this, generation] {
        if (generation == batchGeneration_) receiver_.applyBatch();
    });
}

void MainWindow::killBatchTimer() {
    batchTimer_.Stop();
    ++batchGeneration_;
}

void MainWindow::bringToFront() {
    if (NotYet_IsHiddenInTray()) {
        NotYet_RestoreFromTray();
        return;
    }
    if (IsIconized()) Iconize(false);
    Raise();
}

void MainWindow::setStatusTexts(const std::array<std::string, 3>& texts) {
    wxStatusBar* bar = GetStatusBar();
    if (!bar) return;
    std::string joined;
    for (int i = 0; i < 3; ++i) {
        if (texts[i] != statusTexts_[i]) bar->SetStatusText(Wx(texts[i]), i);
        if (texts[i].empty()) continue;
        if (!joined.empty()) joined += ", ";
        joined += texts[i];
    }
    statusTexts_ = texts;
    // Only a real change reaches the screen reader.
    if (joined != statusAccessible_) {
        statusAccessible_ = joined;
        SetStatusBarAccessibleText(bar, joined);
    }
}

void MainWindow::setTitle(const std::string& caption) {
    const wxString title = Wx(caption);
    if (GetTitle() != title) SetTitle(title);
}

void MainWindow::startTimer(int id, int milliseconds) {
    if (id == kTimerScheduledEnd) scheduledEndTimer_.StartOnce(std::max(1, milliseconds));
    else if (id == kTimerFullscreenCursor) cursorTimer_.StartOnce(std::max(1, milliseconds));
}

void MainWindow::killTimer(int id) {
    if (id == kTimerScheduledEnd) scheduledEndTimer_.Stop();
    else if (id == kTimerFullscreenCursor) cursorTimer_.Stop();
}

void MainWindow::handlePosted(const PostedMessage& m) {
    switch (m.id) {
        case kMsgCommand: DispatchCommand(static_cast<int>(m.wParam), m.lParam); break;
        case kMsgAnnounce: AnnouncementQueue::instance().drain(); break;
        case kMsgStreamTitle: OnStreamTitleChanged(); break;  // it refreshes the title too
        case kMsgYoutubeLookup:
            if (const auto* id = std::any_cast<std::string>(&m.payload); id && !id->empty())
                NotYet_SwitchStreamToCache(*id);
            break;
        case kMsgTrayIcon:
            if (m.lParam == kTrayDoubleClick) NotYet_RestoreFromTray();
            else if (m.lParam == kTrayRightButtonUp) NotYet_ShowTrayMenu();
            break;
        case kMsgEpisodeDownload: NotYet_OnEpisodeDownloadFinished(m.wParam, m.lParam != 0); break;
        case kMsgUpdateCheck:
            if (m.payload.has_value()) NotYet_ShowUpdateCheckResult(m.payload);
            break;
        case kMsgUpdateInstall: NotYet_InstallUpdate(); break;
        case kMsgCopyData:
            if (const auto* d = std::any_cast<HandOverDelivery>(&m.payload)) {
                if (TestLogEnabled())
                    TestLogLine("copydata\t" + std::to_string(d->message.marker) + "\t" + d->message.path);
                receiver_.receive(d->message.marker, d->message.path);
                d->complete();
            }
            break;
        case kMsgCallOnUi:
            if (const auto* fn = std::any_cast<std::function<void()>>(&m.payload); fn && *fn) (*fn)();
            break;
        default: DeliverToDialog(m); break;
    }
}

int MainWindow::messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                           BoxButtons buttons) {
    long style = 0;
    switch (buttons) {
        case BoxButtons::Ok: style = wxOK; break;
        case BoxButtons::OkCancel: style = wxOK | wxCANCEL; break;
        case BoxButtons::YesNo: style = wxYES_NO; break;
        case BoxButtons::YesNoCancel: style = wxYES_NO | wxCANCEL; break;
    }
    switch (icon) {
        case BoxIcon::Error: style |= wxICON_ERROR; break;
        case BoxIcon::Warning: style |= wxICON_WARNING; break;
        case BoxIcon::Information: style |= wxICON_INFORMATION; break;
        case BoxIcon::Question: style |= wxICON_QUESTION; break;
    }
    wxWindow* owner = wxGetActiveWindow();
    if (!owner || destroyed_) owner = destroyed_ ? nullptr : this;
    const int answer = wxMessageBox(Wx(text), Wx(caption.empty() ? std::string("Tavrolune") : caption), style, owner);
    switch (answer) {
        case wxYES: return kBoxYes;
        case wxNO: return kBoxNo;
        case wxCANCEL: return kBoxCancel;
        default: return kBoxOk;
    }
}

void MainWindow::refreshWindowTitle() { UpdateWindowTitle(); }
void MainWindow::refreshStatusBar() { UpdateStatusBar(); }
bool MainWindow::videoHostVisible() { return videoHost_ && videoHost_->IsShown(); }

void MainWindow::hideVideoHost() {
    if (!videoHost_) return;
    videoHost_->Hide();
    SetSize(wxSize(500, 150));
    panel_->Layout();
}

void MainWindow::openFilesDialog() {
    wxFileDialog dialog(this, "Open", wxEmptyString, wxEmptyString, kOpenFilter,
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    dialog.SetFilterIndex(0);
    if (dialog.ShowModal() != wxID_OK) return;
    wxArrayString chosen;
    dialog.GetPaths(chosen);
    std::vector<std::string> paths;
    for (const wxString& p : chosen) paths.push_back(p.utf8_string());
    OpenChosenFiles(paths);
}

void MainWindow::openUrlDialog() { OpenUrlEntry(AskForStreamUrl(this)); }

void MainWindow::openReadme() {
    OpenWithDesktop(ReadmePath(), [] {
        ShowMessageBox(Translate("Could not open readme.txt. Make sure the docs folder is present alongside tavrolune."),
                       BoxIcon::Warning, Translate("Readme"));
    });
}

void MainWindow::showLoadedPlugins() {
    ShowMessageBox(PluginReport(), BoxIcon::Information, Translate("Loaded Plugins"));
}

void MainWindow::setMenuCheck(int command, bool checked) {
    wxMenuBar* bar = GetMenuBar();
    wxMenuItem* item = bar ? bar->FindItem(command) : nullptr;
    if (item && item->IsCheckable()) item->Check(checked);
}

void ShowCreateWindowFailure() {
    wxMessageBox(Tr("Failed to create window."), "Tavrolune", wxOK | wxICON_ERROR, nullptr);
}

}  // namespace tav
