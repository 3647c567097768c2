#pragma once
// Other threads never touch the UI thread's records: they post. The wx
// application implements Poster with CallAfter; tests use a queue they pump.
#include <any>
#include <cstdint>

namespace tav {

// Custom messages keep their historic numbers as identifiers.
enum : uint32_t {
    kMsgCommand = 0x0111,          // WM_COMMAND: wParam = command id, lParam as the sender says
    kMsgAnnounce = 1025,           // drain the announcement queue
    kMsgStreamTitle = 1027,        // stream title changed
    kMsgPlaylistChanged = 1028,    // to the playlist manager: the track changed
    kMsgYoutubeLookup = 1029,      // payload: std::string identifier
    kMsgEpisodeDownload = 1125,    // download finished
    kMsgUpdateCheck = 1224,        // payload: the check result record
    kMsgUpdateInstall = 1225,      // install the downloaded update
    kMsgCountryList = 32779,       // to the radio dialog
    kMsgEpisodePreview = 32780,    // to the podcasts dialog
};

struct PostedMessage {
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::any payload;  // owned data that travels with the message
};

class Poster {
public:
    virtual ~Poster() = default;
    // Called from any thread; must not block and must not run the message now.
    virtual void post(PostedMessage message) = 0;
};

// The process-wide target (the main window). Set once at window creation,
// cleared at destruction; posting with no target drops the message.
void SetPoster(Poster* poster);
Poster* GetPoster();

void Post(PostedMessage message);
inline void PostCommand(int command, intptr_t lParam = 0) {
    Post(PostedMessage{kMsgCommand, static_cast<uintptr_t>(command), lParam, {}});
}

}  // namespace tav
