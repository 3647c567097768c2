#include "app/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "app/ShellMessages.h"
#include "platform/Paths.h"
#include "platform/Posting.h"

namespace tav {

std::string InstanceFolder() { return XdgRuntimeDir() + "/tavrolune"; }
std::string InstanceLockPath() { return InstanceFolder() + "/tavrolune.lock"; }
std::string InstanceSocketPath() { return InstanceFolder() + "/tavrolune.sock"; }

namespace {

std::string ParentOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void MakePrivateFolder(const std::string& dir) {
    // The runtime folder is the user's own; ours inside it stays private too.
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) MakeFolders(dir);
}

bool FillAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void SetTimeouts(int fd, std::chrono::milliseconds timeout) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool SendAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool RecvByte(int fd, unsigned char* out) {
    for (;;) {
        ssize_t n = recv(fd, out, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        return n == 1;
    }
}

unsigned long long InodeOf(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return 0;
    return static_cast<unsigned long long>(st.st_ino);
}

// Result of reading exactly n bytes before a deadline, or until stop is signalled.
enum class ReadResult { Ok, Closed, Failed };

ReadResult ReadExact(int fd, int wakeFd, void* buf, size_t n, std::chrono::steady_clock::time_point deadline,
                     bool atBoundary) {
    char* p = static_cast<char*>(buf);
    size_t got = 0;
    while (got < n) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return ReadResult::Failed;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        int r = poll(fds, 2, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return ReadResult::Failed;
        if (fds[1].revents) return ReadResult::Failed;
        ssize_t k = recv(fd, p + got, n - got, 0);
        if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (k == 0) return (atBoundary && got == 0) ? ReadResult::Closed : ReadResult::Failed;
        if (k < 0) return ReadResult::Failed;
        got += static_cast<size_t>(k);
    }
    return ReadResult::Ok;
}

}  // namespace

// ---- Lock ------------------------------------------------------------------

InstanceLock::~InstanceLock() { release(); }

InstanceLock::State InstanceLock::acquire(const std::string& path) {
    release();
    MakePrivateFolder(ParentOf(path));
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return State::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return State::Acquired;
    }
    const int err = errno;
    close(fd);
    return err == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
}

void InstanceLock::release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

// ---- Sending -----------------------------------------------------------------

HandOverOutcome SendHandOver(const std::string& socketPath, const std::vector<std::string>& files,
                             std::chrono::milliseconds replyTimeout) {
    HandOverOutcome out;
    sockaddr_un addr;
    if (!FillAddress(socketPath, &addr)) return out;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return out;
    SetTimeouts(fd, replyTimeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return out;
    }
    out.found = true;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        const uint32_t header[2] = {i == 0 ? 1u : 2u, static_cast<uint32_t>(path.size() + 1)};
        unsigned char reply = 0;
        const bool ok = path.size() + 1 <= kMaxHandOverBytes && SendAll(fd, header, sizeof header) &&
                        SendAll(fd, path.c_str(), path.size() + 1) && RecvByte(fd, &reply) && reply == 1;
        if (!ok) {
            // No answer to the first file means no usable instance.
            if (i == 0) out.found = false;
            break;
        }
        out.accepted = i + 1;
    }
    close(fd);
    return out;
}

bool InstanceListening(const std::string& socketPath) {
    sockaddr_un addr;
    if (!FillAddress(socketPath, &addr)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

// ---- Listening -------------------------------------------------------------

HandOverServer::~HandOverServer() { stop(); }

bool HandOverServer::start(const std::string& socketPath, Handler handler, std::chrono::milliseconds readTimeout) {
    stop();
    sockaddr_un addr;
    if (!handler || !FillAddress(socketPath, &addr)) return false;
    MakePrivateFolder(ParentOf(socketPath));
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    // A socket file left by an instance that ended without removing it.
    unlink(socketPath.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        close(fd);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    handler_ = std::move(handler);
    path_ = socketPath;
    readTimeout_ = readTimeout;
    listenFd_ = fd;
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    inode_ = InodeOf(socketPath);
    thread_ = std::thread([this] { run(); });
    return true;
}

void HandOverServer::stop() {
    if (listenFd_ < 0) return;
    const char wake = 1;
    ssize_t ignored = write(wakeWrite_, &wake, 1);
    (void)ignored;
    if (thread_.joinable()) thread_.join();
    close(listenFd_);
    close(wakeRead_);
    close(wakeWrite_);
    listenFd_ = wakeRead_ = wakeWrite_ = -1;
    // A later instance may have taken the name over; leave its socket alone.
    if (inode_ != 0 && InodeOf(path_) == inode_) unlink(path_.c_str());
    inode_ = 0;
}

void HandOverServer::run() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        int r = poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        int conn = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0) continue;
        serve(conn);
        close(conn);
    }
}

void HandOverServer::serve(int fd) {
    for (;;) {
        // A sender that stops in the middle of a message is dropped after the
        // read time-out, so it cannot hold up the next one.
        const auto deadline = std::chrono::steady_clock::now() + readTimeout_;
        uint32_t header[2];
        if (ReadExact(fd, wakeRead_, header, sizeof header, deadline, true) != ReadResult::Ok) return;
        const uint32_t bytes = header[1];
        if (bytes == 0 || bytes > kMaxHandOverBytes) return;
        std::string body(bytes, '\0');
        if (ReadExact(fd, wakeRead_, body.data(), bytes, deadline, false) != ReadResult::Ok) return;
        HandOverMessage message;
        message.marker = header[0];
        message.path = body.substr(0, body.find('\0'));
        const unsigned char reply = handler_(message) ? 1 : 0;
        if (!SendAll(fd, &reply, 1)) return;
    }
}

// ---- Relay to the UI thread ------------------------------------------------

class HandOverCompletion {
public:
    bool done = false;
};

namespace {
std::mutex gRelayMutex;
std::condition_variable gRelayCv;
unsigned long gRelayGeneration = 0;
}  // namespace

void HandOverDelivery::complete() const {
    if (!done) return;
    std::lock_guard lock(gRelayMutex);
    done->done = true;
    gRelayCv.notify_all();
}

bool RelayHandOverToUi(const HandOverMessage& message, std::chrono::milliseconds wait) {
    if (!GetPoster()) return false;
    auto done = std::make_shared<HandOverCompletion>();
    unsigned long generation;
    {
        std::lock_guard lock(gRelayMutex);
        generation = gRelayGeneration;
    }
    Post(PostedMessage{kMsgCopyData, message.marker, 0, HandOverDelivery{message, done}});
    std::unique_lock lock(gRelayMutex);
    gRelayCv.wait_for(lock, wait, [&] { return done->done || gRelayGeneration != generation; });
    return gRelayGeneration == generation || done->done;
}

void CancelHandOverRelays() {
    std::lock_guard lock(gRelayMutex);
    ++gRelayGeneration;
    gRelayCv.notify_all();
}

}  // namespace tav
