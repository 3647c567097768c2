// Exact seeks hold wherever the decoder happens to be: FFmpeg's FLAC seek can
// fail near the end before the demuxer has read that far, and the decoder
// must still land where asked.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "playback/engine/FfmpegDecoder.h"

using namespace tavtest;

namespace {

TEST(DecoderSeek, NearTheEndFromAnyReadPosition) {
    TempDir dir;
    const std::string path = dir.file("ten.flac");
    ASSERT_TRUE(MakeTone(path, 440, 10));
    for (int reads = 0; reads < 30; ++reads) {
        tav::engine::detail::FfmpegDecoder d;
        ASSERT_EQ(d.open(path, nullptr, false), 0);
        for (int i = 0; i < reads; ++i) d.decodeMore();
        ASSERT_TRUE(d.seek(9 * 44100)) << "reads " << reads;
        for (int i = 0; i < reads; ++i) d.decodeMore();
        const int64_t end = d.lengthFrames();
        ASSERT_TRUE(d.seek(end)) << "reads " << reads;
        EXPECT_EQ(d.position(), end) << "reads " << reads;
        ASSERT_TRUE(d.seek(3 * 44100)) << "reads " << reads;
        EXPECT_EQ(d.position(), 3 * 44100);
        float buf[2 * 64];
        EXPECT_EQ(d.take(buf, 64), 64u);
    }
}

}  // namespace
