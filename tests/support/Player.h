#pragma once
// The player's opening path without a sound card: the engine on its "No sound"
// device, message boxes and posted messages recorded, and the mix pulled into
// a buffer that tests measure.
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "Signal.h"
#include "platform/Posting.h"
#include "platform/Ui.h"
#include "speech/ScreenReaderOutput.h"

namespace tavtest {

struct Box {
    std::string text, caption;
    tav::BoxIcon icon;
};

class RecordingUi final : public tav::UiServices {
public:
    std::vector<Box> boxes;
    int messageBox(const std::string& text, const std::string& caption, tav::BoxIcon icon,
                   tav::BoxButtons) override {
        boxes.push_back({text, caption, icon});
        return tav::kBoxOk;
    }
};

class QueuePoster final : public tav::Poster {
public:
    void post(tav::PostedMessage m) override;
    // Messages posted so far with this id (and, for commands, this command).
    int count(uint32_t id, int command = -1) const;
    std::vector<tav::PostedMessage> take();

private:
    mutable std::mutex m_;
    std::deque<tav::PostedMessage> q_;
};

// Stands in for the screen reader: keeps what it was asked to say.
class SpokenTexts final : public tav::SpeechOutput {
public:
    struct Utterance {
        std::string text;
        bool interrupt;
    };
    std::vector<Utterance> said;
    int stops = 0;
    bool speak(const std::string& utf8, bool interrupt) override {
        said.push_back({utf8, interrupt});
        return true;
    }
    bool stop() override {
        ++stops;
        return true;
    }
};

// Settings back to their defaults, the engine started on the "No sound"
// device; everything is undone on destruction.
class OfflinePlayer {
public:
    OfflinePlayer();
    ~OfflinePlayer();
    bool started() const { return started_; }
    // Pulls the mix until the track's end command arrives or maxSeconds of
    // audio (or wallSeconds of waiting for a network stream) have passed.
    Audio render(double maxSeconds, double wallSeconds = 30.0);
    bool ended() const { return poster.count(tav::kMsgCommand, 204) > 0; }
    // Drains the announcement queue (as message 1025 does) and returns the
    // utterances spoken since the last call.
    std::vector<std::string> spoken();

    RecordingUi ui;
    QueuePoster poster;
    SpokenTexts speech;
    TempDir home;  // the settings file lives here: home.file("Tavrolune.ini")

private:
    bool started_ = false;
};

}  // namespace tavtest
