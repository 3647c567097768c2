// Internet streams against a local ICY server: live detection, headers,
// titles that change as the song heard changes, and an end instead of a hang
// when the server closes or stalls.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Fixtures.h"
#include "IcyServer.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "storage/AppSettings.h"

using namespace tavtest;
using tav::engine::Handle;

namespace {

class Streams : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        mp3_ = dir_->file("radio.mp3");
        ASSERT_TRUE(MakeTone(mp3_, 440, 20, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    }
    static void TearDownTestSuite() { delete dir_; }
    static TempDir* dir_;
    static std::string mp3_;
};
TempDir* Streams::dir_ = nullptr;
std::string Streams::mp3_;

std::string Meta(Handle h) { return tav::engine::ChannelGetTagBlock(h, tav::engine::kTagMeta).value_or(""); }

TEST_F(Streams, LiveStreamWithHeadersAndTitlesAsTheyAreHeard) {
    IcyServer server(mp3_, {"--title-every", "65536"});
    ASSERT_TRUE(server.ready());
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenUrlStream(server.url(), false)) << (player.ui.boxes.empty() ? "" : player.ui.boxes[0].text);
    const auto& s = tav::Session();
    EXPECT_TRUE(s.isLive);
    EXPECT_EQ(s.bitrate, 128);
    EXPECT_EQ(tav::engine::ChannelGetLength(s.tagStream), -1);
    const std::string icy = tav::engine::ChannelGetTagBlock(s.tagStream, tav::engine::kTagIcy).value_or("");
    EXPECT_NE(icy.find("icy-name: Test Radio"), std::string::npos) << icy;
    EXPECT_NE(icy.find("icy-genre: Testing"), std::string::npos) << icy;

    // The first title is known as soon as the stream is open.
    EXPECT_EQ(Meta(s.tagStream), "StreamTitle='Band One - Song One';StreamUrl='';");
    // 128 kbit/s is 16000 bytes a second: the title changes every 4.1 s of
    // audio, and each change is reported when its audio is heard, not when
    // the reader (seconds ahead) comes across it.
    std::vector<std::pair<double, std::string>> changes;
    int seen = 0;
    double heard = 0;
    while (heard < 9.0) {
        Audio a = player.render(0.1);
        ASSERT_GT(a.frames(), 0u) << "the stream stalled";
        heard += a.seconds();
        const int n = player.poster.count(tav::kMsgStreamTitle);
        if (n != seen) {
            seen = n;
            changes.emplace_back(heard, Meta(s.tagStream));
        }
    }
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].second, "StreamTitle='Band Two - Song Two';StreamUrl='';");
    EXPECT_NEAR(changes[0].first, 4.1, 0.5);
    EXPECT_EQ(changes[1].second, "StreamTitle='Band Three - Song Three';StreamUrl='';");
    EXPECT_NEAR(changes[1].first, 8.2, 0.5);
}

TEST_F(Streams, ServerClosingEndsTheStream) {
    IcyServer server(mp3_, {"--close-after", "48000"});
    ASSERT_TRUE(server.ready());
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenUrlStream(server.url(), false));
    const auto start = std::chrono::steady_clock::now();
    Audio a = player.render(60, 20);
    EXPECT_TRUE(player.ended());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_NEAR(a.seconds(), 3.0, 0.5);  // what was sent was heard
}

TEST_F(Streams, StalledServerEndsWithinTheTimeOut) {
    IcyServer server(mp3_, {"--stall-after", "32000"});
    ASSERT_TRUE(server.ready());
    OfflinePlayer player;
    tav::engine::SetConfig(tav::engine::Config::NetTimeoutMs, 2000);
    ASSERT_TRUE(tav::OpenUrlStream(server.url(), false));
    const auto start = std::chrono::steady_clock::now();
    player.render(60, 20);
    EXPECT_TRUE(player.ended());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(Streams, FileOverHttpHasALengthAndIsNotLive) {
    IcyServer server(mp3_, {"--plain"});
    ASSERT_TRUE(server.ready());
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenUrlStream(server.url(), false));
    EXPECT_FALSE(tav::Session().isLive);
    EXPECT_NEAR(tav::GetTempoProcessor()->getLength(), 20.0, 0.2);
}

TEST_F(Streams, UntrustedCertificateIsRefused) {
    TempDir dir;
    const std::string key = dir.file("key.pem"), cert = dir.file("cert.pem");
    if (tavtest::Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "1",
             "-subj", "/CN=127.0.0.1"}) != 0)
        GTEST_SKIP() << "openssl is not available";
    const int port = FreePort();
    const std::string script =
        "import http.server,ssl,sys\n"
        "s=http.server.HTTPServer(('127.0.0.1'," + std::to_string(port) + "),http.server.SimpleHTTPRequestHandler)\n"
        "c=ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER);c.load_cert_chain('" + cert + "','" + key + "')\n"
        "s.socket=c.wrap_socket(s.socket,server_side=True)\n"
        "s.serve_forever()\n";
    Child server({Python(), "-c", script});
    ASSERT_TRUE(WaitForPort(port, 10));
    OfflinePlayer player;
    EXPECT_FALSE(tav::OpenUrlStream("https://127.0.0.1:" + std::to_string(port) + "/radio.mp3", false));
    ASSERT_EQ(player.ui.boxes.size(), 1u);
    EXPECT_EQ(player.ui.boxes[0].text.rfind("Cannot play URL:\n", 0), 0u);
}

}  // namespace
