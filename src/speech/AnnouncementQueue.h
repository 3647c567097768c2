#pragma once
// Every spoken result goes through this queue, from any thread. The UI thread
// drains it on message 1025, joins what is pending with ", " and speaks it
// through the running screen reader.
#include <string>

namespace tav {

class AnnouncementQueue {
public:
    static AnnouncementQueue& instance();

    // Enables speaking (the main window calls it during its creation).
    bool init();
    // Any thread. Queues the text and posts one message 1025 per call; a
    // silent no-op before init and after shutdown.
    void speak(const char* utf8, bool interrupt);
    void speak(const std::string& utf8, bool interrupt);
    // UI thread, on message 1025.
    void drain();
    // Stops speech and discards what is pending.
    void shutdown();
};

// The usual call: speak with interrupt.
inline void Speak(const std::string& text, bool interrupt = true) {
    AnnouncementQueue::instance().speak(text, interrupt);
}

}  // namespace tav
