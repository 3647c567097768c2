#include "Fixtures.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tavtest {

TempDir::TempDir() {
    char templ[] = "/tmp/tavtest-XXXXXX";
    if (!mkdtemp(templ)) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

namespace {
std::vector<char*> Argv(const std::vector<std::string>& argv) {
    std::vector<char*> v;
    for (const auto& a : argv) v.push_back(const_cast<char*>(a.c_str()));
    v.push_back(nullptr);
    return v;
}
}  // namespace

int Run(const std::vector<std::string>& argv, std::string* output) {
    int pipefd[2] = {-1, -1};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (output) {
        if (pipe(pipefd) != 0) return -1;
        posix_spawn_file_actions_adddup2(&fa, pipefd[1], 1);
        posix_spawn_file_actions_adddup2(&fa, pipefd[1], 2);
        posix_spawn_file_actions_addclose(&fa, pipefd[0]);
    } else {
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid;
    auto args = Argv(argv);
    int rc = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (output) close(pipefd[1]);
    if (rc != 0) {
        if (output) close(pipefd[0]);
        return -1;
    }
    if (output) {
        char buf[4096];
        ssize_t n;
        while ((n = read(pipefd[0], buf, sizeof buf)) > 0) output->append(buf, static_cast<size_t>(n));
        close(pipefd[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Child::Child(const std::vector<std::string>& argv) {
    auto args = Argv(argv);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0) pid_ = pid;
}

Child::~Child() { stop(); }

bool Child::running() {
    if (pid_ <= 0) return false;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void Child::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string Python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

std::string SupportFile(const std::string& name) { return std::string(TAVROLUNE_TEST_SUPPORT_DIR) + "/" + name; }

bool Ffmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-y", "-hide_banner", "-loglevel", "error"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv) == 0;
}

bool MakeTone(const std::string& out, double hz, double seconds, const std::vector<std::string>& extra,
              int rate, int channels) {
    std::ostringstream src;
    src << "sine=frequency=" << hz << ":sample_rate=" << rate << ":duration=" << seconds;
    std::vector<std::string> args = {"-f", "lavfi", "-i", src.str(), "-ac", std::to_string(channels)};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(out);
    return Ffmpeg(args);
}

int FreePort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    int port = ntohs(a.sin_port);
    close(s);
    return port;
}

bool WaitForPort(int port, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(s);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace tavtest
