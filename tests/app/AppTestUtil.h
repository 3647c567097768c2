#pragma once
// Shared pieces of the shell tests: an environment variable set for one test,
// the test log read back, and a poster that records what was posted.
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "platform/Posting.h"

namespace tavtest {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_.c_str(), old_->c_str(), 1);
        else unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// The lines of the shell's test log (TAVROLUNE_COMMAND_LOG) while it lives.
class TestLogCapture {
public:
    explicit TestLogCapture(const TempDir& dir) : path_(dir.file("commands.log")), env_("TAVROLUNE_COMMAND_LOG", path_) {}
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(ReadFile(path_));
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

private:
    std::string path_;
    ScopedEnv env_;
};

class RecordingPoster : public tav::Poster {
public:
    void post(tav::PostedMessage m) override {
        std::lock_guard lock(mutex);
        messages.push_back(std::move(m));
    }
    std::vector<tav::PostedMessage> take() {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }
    std::mutex mutex;
    std::vector<tav::PostedMessage> messages;
};

// Installs a poster for one test.
class ScopedPoster {
public:
    explicit ScopedPoster(tav::Poster* p) { tav::SetPoster(p); }
    ~ScopedPoster() { tav::SetPoster(nullptr); }
};

}  // namespace tavtest
