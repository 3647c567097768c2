#pragma once
// The running instance's side of a hand-over: files that arrive right after
// start-up join the playlist built from the command line; later files are
// gathered into one batch that replaces the playlist once no further file has
// come for 300 ms.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tav {

class HandOverReceiver {
public:
    struct Hooks {
        // Milliseconds of a monotonic clock; wraps like a 32-bit tick count.
        std::function<uint32_t()> tick;
        // (Re)starts the one-shot batch timer; its expiry calls applyBatch().
        std::function<void(int milliseconds)> startBatchTimer;
        std::function<void()> killBatchTimer;
        // Starts playing playlist entry index.
        std::function<void(int index)> startTrack;
        // Brings the main window to the front (out of the tray when hidden).
        std::function<void()> bringToFront;
    };

    static constexpr uint32_t kBatchWindowMs = 300;

    explicit HandOverReceiver(Hooks hooks);

    // Remembers now as the end of the window's creation.
    void markStart();

    // One handed-over file. Only markers 1 and 2 with an existing path are
    // taken; anything else is ignored. Always answers 1.
    int receive(uint32_t marker, const std::string& path);

    // The batch timer expired.
    void applyBatch();

    const std::vector<std::string>& pendingBatch() const { return batch_; }

private:
    Hooks hooks_;
    uint32_t startTick_ = 0;
    std::vector<std::string> batch_;
};

}  // namespace tav
