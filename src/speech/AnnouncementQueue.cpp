#include "speech/AnnouncementQueue.h"

#include "platform/Posting.h"
#include "platform/Utf8.h"
#include "speech/ScreenReaderOutput.h"

namespace tav {

AnnouncementQueue& AnnouncementQueue::instance() {
    static AnnouncementQueue queue;
    return queue;
}

SpeechOutput& AnnouncementQueue::output() { return output_ ? *output_ : ScreenReaderOutput::instance(); }

bool AnnouncementQueue::init() {
    ready_.store(true);
    return true;
}

void AnnouncementQueue::speak(const char* utf8, bool interrupt) {
    speak(utf8 ? std::string(utf8) : std::string(), interrupt);
}

void AnnouncementQueue::speak(const std::string& utf8, bool interrupt) {
    if (!ready_.load() || !GetPoster()) return;
    {
        std::lock_guard guard(lock_);
        // Checked again under the lock so that nothing slips in after
        // shutdown has discarded what was pending.
        if (!ready_.load()) return;
        pending_.push_back({IsValidUtf8(utf8) ? utf8 : std::string(), interrupt});
    }
    Post(PostedMessage{kMsgAnnounce, 0, 0, {}});
}

void AnnouncementQueue::drain() {
    if (!ready_.load()) return;
    std::string text;
    bool interrupt;
    {
        std::lock_guard guard(lock_);
        if (pending_.empty()) return;
        // The oldest announcement decides for the whole batch.
        interrupt = pending_.front().interrupt;
        while (!pending_.empty()) {
            if (!text.empty()) text += ", ";
            text += pending_.front().text;
            pending_.pop_front();
        }
    }
    // Outside the lock: a slow screen reader never holds up a thread that
    // is queueing.
    if (text.empty()) return;
    SpeechOutput& out = output();
    if (interrupt) out.stop();
    out.speak(text, interrupt);
}

void AnnouncementQueue::shutdown() {
    if (ready_.exchange(false)) output().stop();
    std::lock_guard guard(lock_);
    pending_.clear();
}

}  // namespace tav
