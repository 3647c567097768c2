#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include <libspeechd.h>

#include "speech/Drivers.h"
#include "speech/ProcessFinder.h"

namespace tav {

namespace {

// libspeechd has no time-outs of its own. Opening waits this long for the
// helper thread; every read and write on an open connection gives up after
// kIoTimeoutMs, and libspeechd then closes the connection's stream.
constexpr std::chrono::milliseconds kOpenWait{250};
constexpr int kIoTimeoutMs = 400;

// libspeechd writes with write(): a server that went away would raise
// SIGPIPE and end the program. Blocks it on this thread for the duration and
// swallows one raised meanwhile, leaving the process's disposition alone.
class SigpipeBlock {
public:
    SigpipeBlock() {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe, &old_);
    }
    ~SigpipeBlock() {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            timespec zero{0, 0};
            sigtimedwait(&pipe, nullptr, &zero);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    sigset_t old_;
    bool wasPending_ = false;
};

void SetTimeouts(int fd) {
    timeval tv{};
    tv.tv_sec = kIoTimeoutMs / 1000;
    tv.tv_usec = (kIoTimeoutMs % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// In single mode the server sends nothing unasked, so a readable socket means
// it has closed the connection (or is out of step with us).
bool Usable(SPDConnection* c) {
    if (!c->stream) return false;
    pollfd p{c->socket, POLLIN | POLLRDHUP, 0};
    return poll(&p, 1, 0) == 0;
}

bool Reachable(const SPDConnectionAddress* address) {
    if (address->method != SPD_METHOD_UNIX_SOCKET) return true;
    if (!address->unix_socket_name) return false;
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const std::string path = address->unix_socket_name;
    if (path.size() >= sizeof a.sun_path) return false;
    path.copy(a.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// One connection attempt, shared between the caller and the helper thread
// that runs spd_open2 (which can block on a server that accepts and never
// answers). Whoever is left holding a finished connection nobody wants
// closes it.
struct OpenAttempt {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    bool abandoned = false;
    SPDConnection* connection = nullptr;
};

std::shared_ptr<OpenAttempt> StartOpen() {
    // The address is read here, on the caller's thread, where the environment
    // is safe to read.
    char* error = nullptr;
    SPDConnectionAddress* address = spd_get_default_address(&error);
    std::free(error);
    if (!address) return nullptr;
    auto attempt = std::make_shared<OpenAttempt>();
    std::thread([attempt, address] {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        // libspeechd leaks a little on every refused connection; a server
        // that is down is recognised here without it.
        if (!Reachable(address)) {
            SPDConnectionAddress__free(address);
            std::lock_guard lock(attempt->m);
            attempt->done = true;
            attempt->cv.notify_all();
            return;
        }
        char* err = nullptr;
        SPDConnection* c = spd_open2("tavrolune", "main", nullptr, SPD_MODE_SINGLE, address, 0, &err);
        std::free(err);
        SPDConnectionAddress__free(address);
        if (c) {
            if (c->stream) {
                SetTimeouts(c->socket);
            } else {
                // The server dropped us while we introduced ourselves.
                spd_close(c);
                c = nullptr;
            }
        }
        std::unique_lock lock(attempt->m);
        if (attempt->abandoned) {
            lock.unlock();
            if (c) spd_close(c);
            return;
        }
        attempt->connection = c;
        attempt->done = true;
        attempt->cv.notify_all();
    }).detach();
    return attempt;
}

}  // namespace

struct SpeechDispatcherClient::Impl {
    SPDConnection* connection = nullptr;
    std::shared_ptr<OpenAttempt> pending;

    ~Impl() {
        close();
        if (pending) {
            std::lock_guard lock(pending->m);
            pending->abandoned = true;
            if (pending->done && pending->connection) spd_close(pending->connection);
            pending->connection = nullptr;
        }
    }

    void close() {
        if (connection) spd_close(connection);
        connection = nullptr;
    }

    enum class Open { Pending, Failed, Connected };

    // Waits briefly for the pending attempt. A server too slow for this call
    // may still answer: its connection is then taken up by a later call.
    Open await() {
        std::unique_lock lock(pending->m);
        if (!pending->cv.wait_for(lock, kOpenWait, [&] { return pending->done; })) return Open::Pending;
        connection = pending->connection;
        pending->connection = nullptr;
        lock.unlock();
        pending.reset();
        return connection ? Open::Connected : Open::Failed;
    }

    // At most one new attempt per call.
    bool connect() {
        if (connection && !Usable(connection)) close();
        if (connection) return true;
        const bool earlier = pending != nullptr;
        if (!earlier && !(pending = StartOpen())) return false;
        Open result = await();
        // An attempt left over from an earlier call that has failed since
        // says nothing about the server now: try once more.
        if (result == Open::Failed && earlier) {
            if (!(pending = StartOpen())) return false;
            result = await();
        }
        return result == Open::Connected;
    }

    // After a failed command: a connection whose stream libspeechd closed is
    // of no further use.
    bool checked(bool ok) {
        if (!ok && connection && !connection->stream) close();
        return ok;
    }
};

SpeechDispatcherClient::SpeechDispatcherClient() : impl_(std::make_unique<Impl>()) {}
SpeechDispatcherClient::~SpeechDispatcherClient() = default;

bool SpeechDispatcherClient::speak(const std::string& utf8, bool interrupt) {
    SigpipeBlock guard;
    if (!impl_->connect()) return false;
    // Like a screen reader's own cancel: silence every client, not only us.
    if (interrupt && !impl_->checked(spd_cancel_all(impl_->connection) == 0)) return false;
    return impl_->checked(spd_say(impl_->connection, SPD_MESSAGE, utf8.c_str()) >= 0);
}

bool SpeechDispatcherClient::cancelAll() {
    SigpipeBlock guard;
    if (!impl_->connect()) return false;
    return impl_->checked(spd_cancel_all(impl_->connection) == 0);
}

void SpeechDispatcherClient::close() { impl_->close(); }

bool SpeechDispatcherDriver::isRunning() { return FindProcess(processName_); }

}  // namespace tav
