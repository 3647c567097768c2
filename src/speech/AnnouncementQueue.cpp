#include "speech/AnnouncementQueue.h"

#include <cstdint>

#include "platform/Posting.h"
#include "speech/ScreenReaderOutput.h"

namespace tav {

namespace {

bool ValidUtf8(const std::string& s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode do not convert.
        static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace

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
        pending_.push_back({ValidUtf8(utf8) ? utf8 : std::string(), interrupt});
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
