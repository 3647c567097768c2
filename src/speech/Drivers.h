#pragma once
// The Linux screen-reader drivers.
#include <memory>
#include <string>

#include "speech/ScreenReaderOutput.h"

namespace tav {

// Writes every call to the file named by TAVROLUNE_SPEECH_LOG, one line each:
// "speak<TAB>0|1<TAB>text" or "stop". It is how tests hear the program.
class CaptureDriver : public ScreenReaderDriver {
public:
    static constexpr const char* kVariable = "TAVROLUNE_SPEECH_LOG";
    const char* name() const override { return "Capture"; }
    bool isRunning() override;
    bool speak(const std::string& utf8, bool interrupt) override;
    bool stop() override;
    void unload() override {}

private:
    bool append(const std::string& line);
};

// A speech-dispatcher client that never blocks its caller for long: the
// connection is opened on a helper thread that the caller waits for only
// briefly, and every read and write on it has a short time-out. A connection
// the server dropped is noticed before use and opened again (one attempt per
// call).
class SpeechDispatcherClient {
public:
    SpeechDispatcherClient();
    ~SpeechDispatcherClient();
    SpeechDispatcherClient(const SpeechDispatcherClient&) = delete;
    SpeechDispatcherClient& operator=(const SpeechDispatcherClient&) = delete;

    // Cancels what every client is saying (interrupt), then speaks at
    // message priority.
    bool speak(const std::string& utf8, bool interrupt);
    // Cancels what every client is saying.
    bool cancelAll();
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A screen reader that speaks through speech-dispatcher ("Orca", "Fenrir"):
// running while a process matching processName exists.
class SpeechDispatcherDriver : public ScreenReaderDriver {
public:
    SpeechDispatcherDriver(std::string engineName, std::string processName)
        : engineName_(std::move(engineName)), processName_(std::move(processName)) {}
    const char* name() const override { return engineName_.c_str(); }
    bool isRunning() override;
    bool speak(const std::string& utf8, bool interrupt) override { return client_.speak(utf8, interrupt); }
    bool stop() override { return client_.cancelAll(); }
    void unload() override { client_.close(); }

private:
    std::string engineName_;
    std::string processName_;
    SpeechDispatcherClient client_;
};

}  // namespace tav
