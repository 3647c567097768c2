// The speech-dispatcher client against a small SSIP server on a Unix socket.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "support/Fixtures.h"
#include "speech/Drivers.h"

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Answers the SSIP commands libspeechd sends and records every line received
// with the number of the connection it came on. While hung it accepts and reads but never
// answers.
class FakeSsipServer {
public:
    FakeSsipServer(std::string path, bool hung = false) : path_(std::move(path)), hung_(hung) {
        ::unlink(path_.c_str());
        listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        path_.copy(a.sun_path, sizeof a.sun_path - 1);
        if (bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listen_, 8) != 0)
            ADD_FAILURE() << "cannot listen on " << path_;
        if (pipe2(wake_, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe";
        thread_ = std::thread([this] { run(); });
    }
    ~FakeSsipServer() { stop(); }

    void setHung(bool hung) { hung_ = hung; }
    // The next connection to set a priority stops reading right after the
    // answer, so that the client's next write fails (and raises SIGPIPE).
    void breakOffNextSpeech() { breakOff_ = true; }

    // Goes away: closes every connection and the listening socket.
    void stop() {
        if (!thread_.joinable()) return;
        char b = 0;
        if (write(wake_[1], &b, 1) != 1) ADD_FAILURE() << "wake";
        thread_.join();
        ::close(wake_[0]);
        ::close(wake_[1]);
        ::unlink(path_.c_str());
    }

    std::vector<std::string> lines() {
        std::lock_guard g(lock_);
        std::vector<std::string> l;
        for (const auto& r : received_) l.push_back(r.second);
        return l;
    }
    // The connections that sent something.
    std::set<int> talkers() {
        std::lock_guard g(lock_);
        std::set<int> t;
        for (const auto& r : received_) t.insert(r.first);
        return t;
    }

private:
    struct Client {
        int fd;
        int number;
        std::string buffer;
        bool inData = false;
    };

    void run() {
        std::vector<Client> clients;
        int next = 1;
        for (;;) {
            std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
            for (auto& c : clients) fds.push_back({c.fd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[0].revents) break;
            if (fds[1].revents & POLLIN) {
                int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) clients.push_back({fd, next++, {}, false});
            }
            for (size_t i = 2; i < fds.size(); ++i) {
                if (!fds[i].revents) continue;
                Client& c = clients[i - 2];
                char buf[4096];
                ssize_t n = read(c.fd, buf, sizeof buf);
                if (n <= 0) {
                    ::close(c.fd);
                    c.fd = -1;
                    continue;
                }
                c.buffer.append(buf, static_cast<size_t>(n));
                size_t eol;
                while ((eol = c.buffer.find("\r\n")) != std::string::npos) {
                    std::string line = c.buffer.substr(0, eol);
                    c.buffer.erase(0, eol + 2);
                    {
                        std::lock_guard g(lock_);
                        received_.emplace_back(c.number, line);
                    }
                    if (!hung_) answer(c, line);
                }
            }
            clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client& c) { return c.fd < 0; }),
                          clients.end());
        }
        for (auto& c : clients) ::close(c.fd);
        ::close(listen_);
    }

    void answer(Client& c, const std::string& line) {
        std::string reply;
        const std::string u = Upper(line);
        if (c.inData) {
            if (line != ".") return;
            c.inData = false;
            reply = "225-" + std::to_string(++messageId_) + "\r\n225 OK MESSAGE QUEUED\r\n";
        } else if (u.rfind("SET SELF CLIENT_NAME", 0) == 0) {
            reply = "208 OK CLIENT NAME SET\r\n";
        } else if (u.rfind("SET SELF PRIORITY", 0) == 0) {
            reply = "202 OK PRIORITY SET\r\n";
            if (breakOff_.exchange(false)) shutdown(c.fd, SHUT_RD);
        } else if (u == "SPEAK") {
            c.inData = true;
            reply = "230 OK RECEIVING DATA\r\n";
        } else if (u.rfind("CANCEL", 0) == 0) {
            reply = "210 OK CANCELED\r\n";
        } else {
            reply = "300 ERR UNKNOWN\r\n";
        }
        if (write(c.fd, reply.data(), reply.size()) < 0) return;
    }

    std::string path_;
    std::atomic<bool> hung_;
    std::atomic<bool> breakOff_{false};
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::pair<int, std::string>> received_;
    static inline std::atomic<int> messageId_{0};
};

class SpeechDispatcher : public testing::Test {
protected:
    void SetUp() override {
        socketPath = dir.file("speechd.sock");
        setenv("SPEECHD_ADDRESS", ("unix_socket:" + socketPath).c_str(), 1);
    }
    void TearDown() override { unsetenv("SPEECHD_ADDRESS"); }

    tavtest::TempDir dir;
    std::string socketPath;
};

using Lines = std::vector<std::string>;

struct RequestCase {
    const char* name;
    bool stop;  // stop instead of speak
    bool interrupt;
    Lines afterIntroduction;  // what the server receives after CLIENT_NAME
};

class SpeechDispatcherRequests : public SpeechDispatcher, public testing::WithParamInterface<RequestCase> {};

TEST_P(SpeechDispatcherRequests, SendsTheCommands) {
    const RequestCase& c = GetParam();
    FakeSsipServer server(socketPath);
    tav::SpeechDispatcherClient client;
    EXPECT_TRUE(c.stop ? client.cancelAll() : client.speak("Volume 50", c.interrupt));
    Lines got = server.lines();
    ASSERT_FALSE(got.empty());
    const std::string intro = Upper(got.front());
    EXPECT_EQ(intro.rfind("SET SELF CLIENT_NAME ", 0), 0u) << got.front();
    EXPECT_NE(intro.find(":TAVROLUNE:"), std::string::npos) << got.front();
    EXPECT_EQ(Lines(got.begin() + 1, got.end()), c.afterIntroduction);
    EXPECT_EQ(server.talkers().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpeechDispatcherRequests,
    testing::Values(
        RequestCase{"Speak", false, false, {"SET SELF PRIORITY MESSAGE", "speak", "Volume 50", "."}},
        RequestCase{"SpeakWithInterruptCancelsFirst", false, true,
                    {"CANCEL ALL", "SET SELF PRIORITY MESSAGE", "speak", "Volume 50", "."}},
        RequestCase{"Stop", true, false, {"CANCEL ALL"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SpeechDispatcher, OneConnectionServesManyCalls) {
    FakeSsipServer server(socketPath);
    tav::SpeechDispatcherClient client;
    EXPECT_TRUE(client.speak("One", false));
    EXPECT_TRUE(client.speak("Two", true));
    EXPECT_TRUE(client.cancelAll());
    EXPECT_EQ(server.talkers().size(), 1u);
    EXPECT_EQ(server.lines().size(), 1u + 4u + 5u + 1u);
}

TEST_F(SpeechDispatcher, ServerBreakingOffMidSpeechIsAFailureNotACrash) {
    signal(SIGPIPE, SIG_DFL);  // as in the program: a stray SIGPIPE would end it
    FakeSsipServer server(socketPath);
    server.breakOffNextSpeech();
    tav::SpeechDispatcherClient client;
    EXPECT_FALSE(client.speak("Lost", false));
    EXPECT_TRUE(client.speak("Again", false));
    EXPECT_EQ(server.talkers().size(), 2u);
}

// What can happen to the server; each must make the call fail quickly, and a
// healthy server at the same address must then be used again.
enum class Incident { Absent, KilledAfterUse, HungFromStart, HungAfterUse };

struct IncidentCase {
    const char* name;
    Incident incident;
};

class SpeechDispatcherIncidents : public SpeechDispatcher, public testing::WithParamInterface<IncidentCase> {};

TEST_P(SpeechDispatcherIncidents, FailsQuicklyThenReconnects) {
    const Incident incident = GetParam().incident;
    tav::SpeechDispatcherClient client;
    std::unique_ptr<FakeSsipServer> server;
    if (incident != Incident::Absent) {
        server = std::make_unique<FakeSsipServer>(socketPath, incident == Incident::HungFromStart);
        if (incident != Incident::HungFromStart) {
            ASSERT_TRUE(client.speak("Before", false));
        }
    }
    if (incident == Incident::KilledAfterUse) server.reset();
    if (incident == Incident::HungAfterUse) server->setHung(true);

    // Never hangs the caller: each call gives up well within a second.
    for (bool stop : {false, true}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(stop ? client.cancelAll() : client.speak("Lost", true));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << "stop " << stop;
    }

    server.reset();
    server = std::make_unique<FakeSsipServer>(socketPath);
    EXPECT_TRUE(client.speak("After", false));
    const Lines got = server->lines();
    ASSERT_FALSE(got.empty());
    EXPECT_NE(Upper(got.front()).find("CLIENT_NAME"), std::string::npos) << got.front();
    EXPECT_EQ(got.back(), ".");
}

INSTANTIATE_TEST_SUITE_P(Table, SpeechDispatcherIncidents,
                         testing::Values(IncidentCase{"Absent", Incident::Absent},
                                         IncidentCase{"KilledAfterUse", Incident::KilledAfterUse},
                                         IncidentCase{"HungFromStart", Incident::HungFromStart},
                                         IncidentCase{"HungAfterUse", Incident::HungAfterUse}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
