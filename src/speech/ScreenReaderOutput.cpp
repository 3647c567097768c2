#include "speech/ScreenReaderOutput.h"

#include "speech/Drivers.h"

namespace tav {

namespace {
constexpr std::chrono::milliseconds kRedetectInterval{10000};
}

DriverTable MakeDefaultDrivers() {
    DriverTable t;
    t.push_back(std::make_unique<CaptureDriver>());
    t.push_back(std::make_unique<SpeechDispatcherDriver>("Orca", "orca"));
    t.push_back(std::make_unique<SpeechDispatcherDriver>("Fenrir", "fenrir"));
    return t;
}

ScreenReaderOutput& ScreenReaderOutput::instance() {
    static ScreenReaderOutput output(MakeDefaultDrivers());
    return output;
}

ScreenReaderOutput::ScreenReaderOutput(DriverTable drivers, Clock clock)
    : drivers_(std::move(drivers)), clock_(std::move(clock)) {}

const char* ScreenReaderOutput::currentEngineName() const {
    return currentEngine_ >= 0 ? drivers_[static_cast<size_t>(currentEngine_)]->name() : "";
}

bool ScreenReaderOutput::speak(const std::string& utf8, bool interrupt) {
    return dispatch([&](ScreenReaderDriver& d) { return d.speak(utf8, interrupt); });
}

bool ScreenReaderOutput::stop() {
    return dispatch([](ScreenReaderDriver& d) { return d.stop(); });
}

bool ScreenReaderOutput::detect() {
    for (size_t i = 0; i < drivers_.size(); ++i) {
        if (drivers_[i]->isRunning()) {
            currentEngine_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool ScreenReaderOutput::dispatch(const std::function<bool(ScreenReaderDriver&)>& call) {
    bool accepted = false;
    // One pass per row at most: a reader whose is-running answer flickers
    // must not keep the UI thread here.
    for (size_t pass = 0;; ++pass) {
        if (pass >= drivers_.size()) return false;
        if (currentEngine_ < 0 && !detect()) return false;
        ScreenReaderDriver& driver = *drivers_[static_cast<size_t>(currentEngine_)];
        accepted = call(driver);
        // A reader that refused but still runs stays current: no retry.
        if (accepted || driver.isRunning()) break;
        // The reader has gone away: try the next running one at once.
        driver.unload();
        currentEngine_ = -1;
    }
    const auto now = clock_();
    if (autoDetect_ && now - lastReset_ >= kRedetectInterval) {
        lastReset_ = now;
        currentEngine_ = -1;
    }
    return accepted;
}

}  // namespace tav
