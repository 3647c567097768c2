#pragma once
// Test fixtures: a private temporary folder, child processes run without a
// shell, and generated media made with the ffmpeg command-line tool.
#include <string>
#include <vector>

namespace tavtest {

// A folder under /tmp removed (with its contents) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs argv (no shell) and returns its exit status; output goes to /dev/null
// unless captured.
int Run(const std::vector<std::string>& argv, std::string* output = nullptr);

// A child process that runs until stop() or destruction (SIGTERM, then SIGKILL).
class Child {
public:
    explicit Child(const std::vector<std::string>& argv);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    int pid() const { return pid_; }
    void stop();
    bool running();

private:
    int pid_ = -1;
};

// The system python3 (standard library only is needed).
std::string Python();
std::string SupportFile(const std::string& name);  // tests/support/<name>

// ffmpeg -f lavfi sine: a tone of seconds, written with the encoder the
// extension implies (extra arguments go before the output name).
bool MakeTone(const std::string& out, double hz, double seconds,
              const std::vector<std::string>& extra = {}, int rate = 44100, int channels = 2);
// ffmpeg with arbitrary arguments after -y -hide_banner -loglevel error.
bool Ffmpeg(const std::vector<std::string>& args);

// A free TCP port on 127.0.0.1 at the moment of the call.
int FreePort();
// Waits until something listens on 127.0.0.1:port (up to seconds).
bool WaitForPort(int port, double seconds);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace tavtest
