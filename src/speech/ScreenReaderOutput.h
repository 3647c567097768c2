#pragma once
// Hands texts to whichever screen reader the user runs. The drivers form a
// table in priority order; the first running one is remembered and the choice
// is made afresh every ten seconds, so a reader started or closed while the
// program runs is picked up. UI thread only: there is no lock.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tav {

// What the announcement queue speaks through.
class SpeechOutput {
public:
    virtual ~SpeechOutput() = default;
    virtual bool speak(const std::string& utf8, bool interrupt) = 0;
    virtual bool stop() = 0;
};

// One row of the driver table.
class ScreenReaderDriver {
public:
    virtual ~ScreenReaderDriver() = default;
    virtual const char* name() const = 0;
    virtual bool isRunning() = 0;
    virtual bool speak(const std::string& utf8, bool interrupt) = 0;
    virtual bool stop() = 0;
    // Releases what the driver holds; it must load again on its next use.
    virtual void unload() = 0;
};

using DriverTable = std::vector<std::unique_ptr<ScreenReaderDriver>>;

// The Linux table: the capture driver (only running when TAVROLUNE_SPEECH_LOG
// names a file), then "Orca", then "Fenrir".
DriverTable MakeDefaultDrivers();

class ScreenReaderOutput : public SpeechOutput {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static ScreenReaderOutput& instance();

    explicit ScreenReaderOutput(DriverTable drivers, Clock clock = &std::chrono::steady_clock::now);

    // True when a driver accepted the text (or the stop); false when no
    // screen reader runs or the running one refused.
    bool speak(const std::string& utf8, bool interrupt) override;
    bool stop() override;

    // The table row in use, -1 when none has been detected.
    int currentEngine() const { return currentEngine_; }
    const char* currentEngineName() const;

private:
    bool dispatch(const std::function<bool(ScreenReaderDriver&)>& call);
    bool detect();

    DriverTable drivers_;
    Clock clock_;
    int currentEngine_ = -1;
    bool autoDetect_ = true;
    // The first successful call after start re-detects at once, like a tick
    // counter that started at zero.
    std::chrono::steady_clock::time_point lastReset_{};
};

}  // namespace tav
