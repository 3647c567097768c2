#pragma once
// What is loaded now. Touched only on the UI thread.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/engine/Engine.h"

namespace tav {

class TempoProcessor;

struct Chapter {
    double start = 0.0;  // seconds from the start of the media
    std::string title;
};

enum class MediaKind { None = 0, Audio = 1, Video = 2 };

struct PlaybackSession {
    MediaKind mediaKind = MediaKind::None;
    bool videoLoaded = false;
    bool fullScreen = false;
    bool muted = false;
    engine::Handle sourceStream = 0;  // decoding stream, while this record owns it
    engine::Handle playStream = 0;    // what is played; loaded exactly when non-zero
    engine::Handle tagStream = 0;     // decoding stream as created, read for tags
    engine::Handle endSync = 0;
    engine::Handle metaSync = 0;
    bool isLive = false;
    bool loading = false;
    bool trackChanging = false;
    float sampleRate = 0.0f;
    int bitrate = 0;  // kbps, 0 = none reported
    std::vector<Chapter> chapters;
    // The current tempo processor lives in the tempo module (GetTempoProcessor).
};

PlaybackSession& Session();

}  // namespace tav
