// The lock file, the hand-over socket and the decision a second start makes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "AppTestUtil.h"
#include "app/Arguments.h"
#include "app/ShellMessages.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"

namespace {

using namespace std::chrono_literals;
using tav::HandOverMessage;

struct Received {
    uint32_t marker;
    std::string path;
    bool operator==(const Received&) const = default;
};

class SingleInstance : public ::testing::Test {
protected:
    std::string lockPath() const { return dir.file("run/tavrolune.lock"); }
    std::string socketPath() const { return dir.file("run/tavrolune.sock"); }

    // A running first instance in this process: it holds the lock and listens.
    void startFirstInstance(std::function<bool(const HandOverMessage&)> answer = nullptr) {
        ASSERT_EQ(firstLock.acquire(lockPath()), tav::InstanceLock::State::Acquired);
        ASSERT_TRUE(server.start(
            socketPath(),
            [this, answer](const HandOverMessage& m) {
                std::lock_guard lock(mutex);
                received.push_back({m.marker, m.path});
                return answer ? answer(m) : true;
            },
            200ms));
    }

    std::vector<Received> got() {
        std::lock_guard lock(mutex);
        return received;
    }

    // The decision of a second start with these files.
    bool secondStart(bool allowMultiple, std::vector<std::string>& files, std::chrono::milliseconds timeout = 2s) {
        return tav::HandOverToRunningInstance(allowMultiple, files, secondLock, lockPath(), socketPath(), timeout);
    }

    std::string makeFile(const std::string& name) {
        tavtest::WriteFile(dir.file(name), "x");
        return dir.file(name);
    }

    tavtest::TempDir dir;
    tav::InstanceLock firstLock, secondLock;
    tav::HandOverServer server;
    std::mutex mutex;
    std::vector<Received> received;
};

TEST_F(SingleInstance, TwoFilesArriveInOrderWithMarkersOneThenTwo) {
    startFirstInstance();
    std::vector<std::string> files = {makeFile("A.mp3"), makeFile("B.mp3")};
    EXPECT_TRUE(secondStart(false, files));
    EXPECT_FALSE(secondLock.held());
    EXPECT_EQ(got(), (std::vector<Received>{{1, dir.file("A.mp3")}, {2, dir.file("B.mp3")}}));
}

TEST_F(SingleInstance, AMissingArgumentIsNotSent) {
    startFirstInstance();
    const std::string a = makeFile("A.mp3");
    const std::string missing = dir.file("missing.mp3");
    const char* argv[] = {"tavrolune", a.c_str(), missing.c_str()};
    std::vector<std::string> files = tav::ExistingArguments(3, argv);
    EXPECT_TRUE(secondStart(false, files));
    EXPECT_EQ(got(), (std::vector<Received>{{1, a}}));
}

TEST_F(SingleInstance, AllowMultipleInstancesCases) {
    startFirstInstance();
    struct Case {
        bool allowMultiple;
        bool withFile;
        bool handedOver;  // the second process ends without a window
        size_t sent;
    };
    const Case cases[] = {
        {true, false, false, 0},  // an independent second window
        {true, true, true, 1},    // the file goes to the first instance
        {false, false, true, 0},  // nothing sent, nothing opened
        {false, true, true, 1},
    };
    for (const Case& c : cases) {
        {
            std::lock_guard lock(mutex);
            received.clear();
        }
        std::vector<std::string> files;
        if (c.withFile) files.push_back(makeFile("f.mp3"));
        tav::InstanceLock lock;
        EXPECT_EQ(tav::HandOverToRunningInstance(c.allowMultiple, files, lock, lockPath(), socketPath(), 2s),
                  c.handedOver)
            << c.allowMultiple << c.withFile;
        EXPECT_FALSE(lock.held());
        EXPECT_EQ(got().size(), c.sent);
    }
}

TEST_F(SingleInstance, AFirstStartTakesTheLockAndSendsNothing) {
    std::vector<std::string> files = {makeFile("A.mp3")};
    EXPECT_FALSE(secondStart(false, files));
    EXPECT_TRUE(secondLock.held());
    EXPECT_EQ(files.size(), 1u);
}

// A child process that takes the lock and, when listen is set, binds and
// listens on the socket; it tells the parent it is ready and then waits.
pid_t StartFakeInstance(const std::string& lockPath, const std::string& socketPath, bool listenToo) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        int fd = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) _exit(2);
        if (listenToo) {
            int s = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
            unlink(socketPath.c_str());
            if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 4) != 0) _exit(3);
        }
        char c = 1;
        if (write(ready[1], &c, 1) != 1) _exit(4);
        for (;;) pause();
    }
    close(ready[1]);
    char c = 0;
    const bool ok = read(ready[0], &c, 1) == 1;
    close(ready[0]);
    return ok ? pid : -1;
}

void KillAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    int status;
    waitpid(pid, &status, 0);
}

TEST_F(SingleInstance, ACrashedInstanceNeverBlocksANewStart) {
    ASSERT_TRUE(tav::InstanceLock().acquire(lockPath()) == tav::InstanceLock::State::Acquired);  // makes the folder
    const pid_t crashed = StartFakeInstance(lockPath(), socketPath(), true);
    ASSERT_GT(crashed, 0);
    KillAndReap(crashed);  // lock released by the system, socket file left behind
    ASSERT_EQ(access(socketPath().c_str(), F_OK), 0);

    std::vector<std::string> files = {makeFile("A.mp3")};
    EXPECT_FALSE(secondStart(false, files));
    EXPECT_TRUE(secondLock.held());
    // The new instance listens where the crashed one did.
    ASSERT_TRUE(server.start(socketPath(), [this](const HandOverMessage& m) {
        std::lock_guard lock(mutex);
        received.push_back({m.marker, m.path});
        return true;
    }));
    tav::InstanceLock third;
    std::vector<std::string> more = {makeFile("B.mp3")};
    EXPECT_TRUE(tav::HandOverToRunningInstance(false, more, third, lockPath(), socketPath(), 2s));
    EXPECT_EQ(got(), (std::vector<Received>{{1, dir.file("B.mp3")}}));
}

TEST_F(SingleInstance, AHeldLockWithoutAListenerStartsAnotherFirstInstance) {
    ASSERT_TRUE(tav::InstanceLock().acquire(lockPath()) == tav::InstanceLock::State::Acquired);
    const pid_t holder = StartFakeInstance(lockPath(), socketPath(), false);
    ASSERT_GT(holder, 0);
    std::vector<std::string> files = {makeFile("A.mp3"), makeFile("B.mp3")};
    EXPECT_FALSE(secondStart(false, files));
    EXPECT_EQ(files.size(), 2u);  // they stay with this process
    KillAndReap(holder);
}

TEST_F(SingleInstance, AnInstanceThatNeverAnswersCountsAsNotFound) {
    ASSERT_EQ(firstLock.acquire(lockPath()), tav::InstanceLock::State::Acquired);
    // Listens (so connecting works) but never accepts or replies.
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath().c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(s, 4), 0);
    std::vector<std::string> files = {makeFile("A.mp3")};
    EXPECT_FALSE(secondStart(false, files, 100ms));
    EXPECT_EQ(files.size(), 1u);
    close(s);
}

TEST_F(SingleInstance, FilesTheRunningWindowRefusesStayWithTheNewProcess) {
    int calls = 0;
    startFirstInstance([&calls](const HandOverMessage&) { return ++calls == 1; });
    std::vector<std::string> files = {makeFile("A.mp3"), makeFile("B.mp3"), makeFile("C.mp3")};
    EXPECT_FALSE(secondStart(false, files));
    EXPECT_EQ(files, (std::vector<std::string>{dir.file("B.mp3"), dir.file("C.mp3")}));
}

int RawConnect(const std::string& path) {
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(s);
        return -1;
    }
    return s;
}

TEST_F(SingleInstance, BrokenSendersDoNotHoldUpTheNextOne) {
    startFirstInstance();
    // Announces a path larger than any message may be.
    int huge = RawConnect(socketPath());
    ASSERT_GE(huge, 0);
    const uint32_t header[2] = {1, 0xFFFFFFFFu};
    ASSERT_EQ(send(huge, header, sizeof header, 0), static_cast<ssize_t>(sizeof header));
    // Stops in the middle of its header.
    int stalled = RawConnect(socketPath());
    ASSERT_GE(stalled, 0);
    ASSERT_EQ(send(stalled, "\1\0\0", 3, 0), 3);

    std::vector<std::string> files = {makeFile("A.mp3")};
    tav::HandOverOutcome out = tav::SendHandOver(socketPath(), files, 3s);
    EXPECT_TRUE(out.found);
    EXPECT_EQ(out.accepted, 1u);
    EXPECT_EQ(got(), (std::vector<Received>{{1, dir.file("A.mp3")}}));
    close(huge);
    close(stalled);
}

TEST_F(SingleInstance, StoppingLeavesAnotherInstancesSocketAlone) {
    startFirstInstance();
    tav::HandOverServer newer;
    ASSERT_TRUE(newer.start(socketPath(), [](const HandOverMessage&) { return true; }));
    server.stop();  // the older one goes; the name belongs to the newer one now
    EXPECT_TRUE(tav::SendHandOver(socketPath(), {makeFile("A.mp3")}, 2s).found);
    newer.stop();
    EXPECT_FALSE(tav::SendHandOver(socketPath(), {makeFile("A.mp3")}, 2s).found);
}

TEST_F(SingleInstance, TheRelayWaitsForTheWindowToHandleTheFile) {
    tavtest::RecordingPoster poster;
    EXPECT_FALSE(tav::RelayHandOverToUi({1, "/a"}, 10ms));  // no window

    tavtest::ScopedPoster scoped(&poster);
    std::thread ui([&poster] {
        for (;;) {
            auto posted = poster.take();
            if (posted.empty()) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            ASSERT_EQ(posted.size(), 1u);
            EXPECT_EQ(posted[0].id, tav::kMsgCopyData);
            const auto* d = std::any_cast<tav::HandOverDelivery>(&posted[0].payload);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->message.path, "/a");
            EXPECT_EQ(d->message.marker, 1u);
            d->complete();
            return;
        }
    });
    EXPECT_TRUE(tav::RelayHandOverToUi({1, "/a"}, 10s));
    ui.join();
}

TEST_F(SingleInstance, ARelayCancelledByTheClosingWindowReportsNoWindow) {
    tavtest::RecordingPoster poster;
    tavtest::ScopedPoster scoped(&poster);
    std::thread closer([&poster] {
        while (poster.take().empty()) std::this_thread::sleep_for(1ms);
        tav::CancelHandOverRelays();
    });
    EXPECT_FALSE(tav::RelayHandOverToUi({2, "/b"}, 10s));
    closer.join();
}

}  // namespace

namespace {

TEST_F(SingleInstance, ListeningIsSeenOnlyWhileAServerAnswers) {
    EXPECT_FALSE(tav::InstanceListening(socketPath()));
    startFirstInstance();
    EXPECT_TRUE(tav::InstanceListening(socketPath()));
    server.stop();
    EXPECT_FALSE(tav::InstanceListening(socketPath()));
    EXPECT_TRUE(got().empty());  // a probe is not a message
}

}  // namespace
