#pragma once
// One running player per user: the first instance holds a lock file and
// listens on a Unix socket, both in $XDG_RUNTIME_DIR/tavrolune/. A second
// start that has files hands them over through the socket, one message per
// file, and waits for each reply, so each file is handled before the next is
// sent.
//
// A message is an 8-byte header, the marker (1 for the first file of a
// hand-over, 2 for every later one) and the byte count of the path including
// its terminating NUL, both 32-bit in host order, followed by the UTF-8 path
// and the NUL. The reply is one byte: 1 when the running window took the
// message, 0 when it has no window (it is closing).
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tav {

struct HandOverMessage {
    uint32_t marker = 0;
    std::string path;
};

// The longest path a message may carry, in bytes with the NUL.
inline constexpr uint32_t kMaxHandOverBytes = 64 * 1024;

std::string InstanceFolder();      // $XDG_RUNTIME_DIR/tavrolune
std::string InstanceLockPath();    // .../tavrolune.lock
std::string InstanceSocketPath();  // .../tavrolune.sock

// The lock the first instance holds for its whole life; the system drops it
// when the process ends, however it ends.
class InstanceLock {
public:
    enum class State { Acquired, HeldElsewhere, Unavailable };
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the folder and the file when needed and tries to hold the lock
    // without waiting. Unavailable: the file cannot be made (start as a first
    // instance anyway).
    State acquire(const std::string& path);
    bool held() const { return fd_ >= 0; }
    void release();

private:
    int fd_ = -1;
};

struct HandOverOutcome {
    bool found = false;   // a running instance answered
    size_t accepted = 0;  // files it took, from the first on
};

// Connects to the running instance and sends every file (markers 1, 2, 2...),
// waiting up to replyTimeout for each reply. Not found: nothing listens on the
// socket, or the first reply never came or said "no window". With no files a
// successful connection is all that is checked.
HandOverOutcome SendHandOver(const std::string& socketPath, const std::vector<std::string>& files,
                             std::chrono::milliseconds replyTimeout);

// Something answers on the socket: a running window can be reached there.
bool InstanceListening(const std::string& socketPath);

// The listening side, run by the first instance. The handler runs on the
// server's own thread, one message at a time in arrival order; its answer is
// the reply.
class HandOverServer {
public:
    using Handler = std::function<bool(const HandOverMessage&)>;
    HandOverServer() = default;
    ~HandOverServer();
    HandOverServer(const HandOverServer&) = delete;
    HandOverServer& operator=(const HandOverServer&) = delete;

    // Replaces a leftover socket file (a crashed instance's) and listens.
    bool start(const std::string& socketPath, Handler handler,
               std::chrono::milliseconds readTimeout = std::chrono::seconds(2));
    // Stops listening and removes the socket file when it is still ours.
    void stop();
    bool running() const { return listenFd_ >= 0; }

private:
    void run();
    void serve(int fd);

    Handler handler_;
    std::string path_;
    std::chrono::milliseconds readTimeout_{2000};
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    unsigned long long inode_ = 0;
    std::thread thread_;
};

// Hands a received message to the UI thread through the posting interface
// (message kMsgCopyData with a HandOverDelivery payload) and waits until the
// UI has handled it, at most wait. False when there is no main window; true
// otherwise (after the wait the message is still handled when the UI gets to
// it).
bool RelayHandOverToUi(const HandOverMessage& message, std::chrono::milliseconds wait);
// Wakes every relay that still waits (the window is going away).
void CancelHandOverRelays();

class HandOverCompletion;
struct HandOverDelivery {
    HandOverMessage message;
    std::shared_ptr<HandOverCompletion> done;
    void complete() const;  // the UI calls it once the message is handled
};

}  // namespace tav
