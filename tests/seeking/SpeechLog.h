#pragma once
// What the program says, caught at the announcement queue's output: each
// said() drains the queue once and returns what the screen reader was given.
#include <string>
#include <vector>

#include "Player.h"
#include "platform/Posting.h"
#include "speech/AnnouncementQueue.h"
#include "speech/ScreenReaderOutput.h"

namespace tavtest {

class SpeechLog {
public:
    SpeechLog() {
        if (!tav::GetPoster()) {
            tav::SetPoster(&poster_);
            ownPoster_ = true;
        }
        queue().setOutput(&output_);
        queue().init();
    }
    ~SpeechLog() {
        queue().shutdown();
        queue().setOutput(nullptr);
        if (ownPoster_) tav::SetPoster(nullptr);
    }
    SpeechLog(const SpeechLog&) = delete;
    SpeechLog& operator=(const SpeechLog&) = delete;

    // Empty when nothing was said since the last call.
    std::string said() {
        output_.texts.clear();
        queue().drain();
        std::string all;
        for (const std::string& t : output_.texts) all += t;
        return all;
    }
    // Every text so far was spoken with interrupt.
    bool allInterrupting() const { return output_.allInterrupt; }

private:
    static tav::AnnouncementQueue& queue() { return tav::AnnouncementQueue::instance(); }

    struct Output final : tav::SpeechOutput {
        bool speak(const std::string& text, bool interrupt) override {
            texts.push_back(text);
            allInterrupt = allInterrupt && interrupt;
            return true;
        }
        bool stop() override { return true; }
        std::vector<std::string> texts;
        bool allInterrupt = true;
    };

    Output output_;
    QueuePoster poster_;
    bool ownPoster_ = false;
};

}  // namespace tavtest
