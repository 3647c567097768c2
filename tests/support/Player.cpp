#include "Player.h"

#include <chrono>
#include <thread>

#include "playback/AudioEngine.h"
#include "playback/engine/Engine.h"
#include "playlist/Playlist.h"
#include "speech/AnnouncementQueue.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"

namespace tavtest {

void QueuePoster::post(tav::PostedMessage m) {
    std::lock_guard l(m_);
    q_.push_back(std::move(m));
}

int QueuePoster::count(uint32_t id, int command) const {
    std::lock_guard l(m_);
    int n = 0;
    for (const auto& m : q_)
        if (m.id == id && (command < 0 || static_cast<int>(m.wParam) == command)) ++n;
    return n;
}

std::vector<tav::PostedMessage> QueuePoster::take() {
    std::lock_guard l(m_);
    std::vector<tav::PostedMessage> v(std::make_move_iterator(q_.begin()), std::make_move_iterator(q_.end()));
    q_.clear();
    return v;
}

OfflinePlayer::OfflinePlayer() {
    tav::Settings() = tav::AppSettings{};
    tav::ThePlaylist() = tav::Playlist{};
    tav::TheRecentFiles() = tav::RecentFiles{};
    tav::UseSettingsFile(home.file("Tavrolune.ini"));
    tav::SetUiServices(&ui);
    tav::SetPoster(&poster);
    tav::AnnouncementQueue::instance().setOutput(&speech);
    tav::AnnouncementQueue::instance().init();
    started_ = tav::StartAudioEngineWithoutOutput();
}

OfflinePlayer::~OfflinePlayer() {
    tav::AnnouncementQueue::instance().shutdown();
    tav::AnnouncementQueue::instance().setOutput(nullptr);
    tav::FreeAudioEngine();
    tav::SetPoster(nullptr);
    tav::SetUiServices(nullptr);
    tav::Settings() = tav::AppSettings{};
}

std::vector<std::string> OfflinePlayer::spoken() {
    tav::AnnouncementQueue::instance().drain();
    std::vector<std::string> texts;
    for (auto& u : speech.said) texts.push_back(u.text);
    speech.said.clear();
    return texts;
}

Audio OfflinePlayer::render(double maxSeconds, double wallSeconds) {
    Audio a;
    a.rate = 44100;
    a.channels = 2;
    const size_t limit = static_cast<size_t>(maxSeconds * 44100);
    std::vector<float> buf(4096 * 2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wallSeconds);
    while (!ended() && a.frames() < limit && std::chrono::steady_clock::now() < deadline) {
        const uint32_t want = static_cast<uint32_t>(std::min<size_t>(4096, limit - a.frames()));
        const uint32_t got = tav::engine::RenderOutput(buf.data(), want);
        a.samples.insert(a.samples.end(), buf.begin(), buf.begin() + static_cast<long>(got) * 2);
        if (got < want && !ended()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return a;
}

}  // namespace tavtest
