// The tavrolune program: start-up, the single-instance hand-over, the main
// window and the message loop.
#include <cstdio>

#include <wx/app.h>
#include <wx/init.h>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "playlist/Playlist.h"
#include "storage/Settings.h"

namespace {

int gExitCode = 0;
bool gAppStarted = false;

void ReportAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    // A box would stop the program (and a test) until someone answers it.
    std::fprintf(stderr, "tavrolune: wx assertion %s failed in %s (%s:%d): %s\n", cond.utf8_str().data(),
                 func.utf8_str().data(), file.utf8_str().data(), line, msg.utf8_str().data());
}

class TavroluneApp : public wxApp {
public:
    bool OnInit() override {
        gAppStarted = true;
        wxSetAssertHandler(&ReportAssert);
        SetAppName("tavrolune");
        SetAppDisplayName("Tavrolune");

        auto* window = new tav::MainWindow();
        if (!window->create()) {
            window->abandon();
            tav::ShowCreateWindowFailure();
            gExitCode = 1;
            return false;
        }
        window->Show();
        window->Update();
        window->focusClientArea();
        if (tav::ThePlaylist().entries.empty()) tav::LoadPlaylistState();
        return true;
    }

    int OnRun() override {
        wxApp::OnRun();
        return gExitCode;
    }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TavroluneApp);

int main(int argc, char** argv) {
    tav::InstanceLock lock;
    if (tav::RunEarlyStartup(argc, argv, lock)) return 0;

    // The toolkit sees only the program name: every other argument is a file
    // of ours, even one that looks like a toolkit option.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    wxEntry(toolkitArgc, toolkitArgv);
    if (!gAppStarted) {
        // No display to open a window on.
        return 1;
    }
    return gExitCode;
}
