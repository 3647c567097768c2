#pragma once
// tests/support/icy_server.py started on a free local port for one test.
#include <memory>
#include <string>
#include <vector>

#include "Fixtures.h"

namespace tavtest {

class IcyServer {
public:
    // extra: icy_server.py options (--title-every, --close-after, --plain...).
    explicit IcyServer(const std::string& file, const std::vector<std::string>& extra = {}) : port_(FreePort()) {
        std::vector<std::string> argv = {Python(), SupportFile("icy_server.py"), "--port", std::to_string(port_),
                                         "--file", file};
        argv.insert(argv.end(), extra.begin(), extra.end());
        child_ = std::make_unique<Child>(argv);
        ready_ = WaitForPort(port_, 10);
    }
    bool ready() const { return ready_; }
    int port() const { return port_; }
    std::string url(const std::string& path = "/stream") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int port_;
    std::unique_ptr<Child> child_;
    bool ready_ = false;
};

}  // namespace tavtest
