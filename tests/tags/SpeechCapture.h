#pragma once
// Hears what the program says: the announcement queue speaks into a recorder,
// and the test plays the main window by running the posted messages.
#include <string>
#include <vector>

#include "Player.h"
#include "playback/TrackInfo.h"
#include "speech/AnnouncementQueue.h"
#include "speech/ScreenReaderOutput.h"

namespace tagtest {

class SpeechCapture final : public tav::SpeechOutput {
public:
    SpeechCapture() {
        tav::AnnouncementQueue::instance().setOutput(this);
        tav::AnnouncementQueue::instance().init();
    }
    ~SpeechCapture() override {
        tav::AnnouncementQueue::instance().shutdown();
        tav::AnnouncementQueue::instance().setOutput(nullptr);
    }
    bool speak(const std::string& text, bool interrupt) override {
        spoken.push_back(text);
        interrupts.push_back(interrupt);
        return true;
    }
    bool stop() override { return true; }

    // Runs what was posted: 1025 speaks; 1027, the stream-title change, only
    // when asked for. Returns how many 1027 messages there were.
    int pump(tavtest::QueuePoster& poster, bool titleChanges = false) {
        int changes = 0;
        for (const tav::PostedMessage& m : poster.take()) {
            if (m.id == tav::kMsgAnnounce) tav::AnnouncementQueue::instance().drain();
            if (m.id == tav::kMsgStreamTitle) {
                ++changes;
                if (titleChanges) tav::OnStreamTitleChanged();
            }
        }
        return changes;
    }
    // What one information command says, with interrupt; "" when it says
    // nothing.
    std::string say(tavtest::QueuePoster& poster, int command) {
        spoken.clear();
        interrupts.clear();
        tav::SpeakTrackInfo(command);
        pump(poster);
        if (spoken.empty()) return {};
        std::string all;
        for (size_t i = 0; i < spoken.size(); ++i) all += (i ? "|" : "") + spoken[i] + (interrupts[i] ? "" : " (no interrupt)");
        return all;
    }

    std::vector<std::string> spoken;
    std::vector<bool> interrupts;
};

}  // namespace tagtest
