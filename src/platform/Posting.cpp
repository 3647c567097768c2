#include "platform/Posting.h"

#include <atomic>

namespace tav {

namespace {
std::atomic<Poster*> gPoster{nullptr};
}

void SetPoster(Poster* poster) { gPoster.store(poster, std::memory_order_release); }
Poster* GetPoster() { return gPoster.load(std::memory_order_acquire); }

void Post(PostedMessage message) {
    if (Poster* p = GetPoster()) p->post(std::move(message));
}

}  // namespace tav
