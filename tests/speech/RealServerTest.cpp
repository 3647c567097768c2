// The speech-dispatcher driver against the real server (the one Orca speaks
// through), started privately: our client names itself, an interrupt cancels
// what every client is saying, and texts arrive at message priority.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/Fixtures.h"
#include "speech/Drivers.h"

using namespace tavtest;

namespace {

TEST(RealSpeechDispatcher, ReceivesNameCancelAndTextsInOrder) {
    if (access("/usr/bin/speech-dispatcher", X_OK) != 0) GTEST_SKIP() << "speech-dispatcher is not installed";
    TempDir dir;
    const std::string runtime = dir.file("run"), log = runtime + "/speech-dispatcher/log/speech-dispatcher.log";
    mkdir(runtime.c_str(), 0700);
    const std::string socket = runtime + "/speechd.sock";
    // At log level 5 the server writes the protocol into its log.
    const std::string script = "HOME='" + dir.path() + "' XDG_RUNTIME_DIR='" + runtime +
                               "' exec /usr/bin/speech-dispatcher -s -t 10 -l 5 -S '" + socket + "' >/dev/null 2>&1";
    const char* oldAddress = std::getenv("SPEECHD_ADDRESS");
    const std::string saved = oldAddress ? oldAddress : "";
    setenv("SPEECHD_ADDRESS", ("unix_socket:" + socket).c_str(), 1);
    struct Restore {
        bool had;
        std::string value;
        ~Restore() { had ? setenv("SPEECHD_ADDRESS", value.c_str(), 1) : unsetenv("SPEECHD_ADDRESS"); }
    } restore{oldAddress != nullptr, saved};
    Child server({"/bin/sh", "-c", script});
    // Ready once its output modules are up (as it is long before Orca speaks).
    for (int i = 0; i < 200 && ReadFile(log).find("waiting for clients") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(ReadFile(log).find("waiting for clients"), std::string::npos) << ReadFile(log);

    {
        tav::SpeechDispatcherClient client;
        EXPECT_TRUE(client.speak("Hello from Tavrolune", false));
        EXPECT_TRUE(client.speak("Paused", true));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    server.stop();
    const std::string text = ReadFile(log);
    const size_t name = text.find("SET SELF CLIENT_NAME");
    const size_t hello = text.find("DATA:|Hello from Tavrolune");
    const size_t cancel = text.find("DATA:|CANCEL ALL", hello == std::string::npos ? 0 : hello);
    const size_t paused = text.find("DATA:|Paused", cancel == std::string::npos ? 0 : cancel);
    ASSERT_NE(name, std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("tavrolune", name), std::string::npos);
    EXPECT_NE(text.find("SET SELF PRIORITY MESSAGE"), std::string::npos);
    ASSERT_NE(hello, std::string::npos);
    ASSERT_NE(cancel, std::string::npos) << "the interrupt cancels first";
    ASSERT_NE(paused, std::string::npos) << "then the text is spoken";
    EXPECT_NE(text.find("Queueing message |Paused| with priority 2"), std::string::npos);
}

}  // namespace
