#pragma once
// Every spoken result goes through this queue, from any thread. The UI thread
// drains it on message 1025, joins what is pending with ", " and speaks it
// through the running screen reader.
#include <atomic>
#include <deque>
#include <mutex>
#include <string>

namespace tav {

class SpeechOutput;

struct Announcement {
    std::string text;  // UTF-8
    bool interrupt = false;
};

class AnnouncementQueue {
public:
    static AnnouncementQueue& instance();

    // Speaks through ScreenReaderOutput::instance() unless told otherwise.
    explicit AnnouncementQueue(SpeechOutput* output = nullptr) : output_(output) {}
    AnnouncementQueue(const AnnouncementQueue&) = delete;
    AnnouncementQueue& operator=(const AnnouncementQueue&) = delete;

    // Enables speaking (the main window calls it during its creation).
    bool init();
    // Any thread. Queues the text and posts one message 1025 per call; a
    // silent no-op before init, after shutdown and while there is no main
    // window to post to. Text that is not valid UTF-8 is queued as empty.
    void speak(const char* utf8, bool interrupt);
    void speak(const std::string& utf8, bool interrupt);
    // UI thread, on message 1025.
    void drain();
    // Stops speech and discards what is pending.
    void shutdown();

    // nullptr: ScreenReaderOutput::instance().
    void setOutput(SpeechOutput* output) { output_ = output; }

private:
    SpeechOutput& output();

    std::mutex lock_;
    std::deque<Announcement> pending_;
    std::atomic<bool> ready_{false};
    SpeechOutput* output_;
};

// The usual call: speak with interrupt.
inline void Speak(const std::string& text, bool interrupt = true) {
    AnnouncementQueue::instance().speak(text, interrupt);
}

}  // namespace tav
