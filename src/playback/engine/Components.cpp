// What "Loaded Plugins" reports: our decoder components and their versions.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}
#include <SDL2/SDL.h>
#include <fluidsynth.h>
#include <soundtouch/SoundTouch.h>

#include <cstdio>

#include "playback/engine/Internal.h"

namespace tav::engine {

namespace {
std::string Version(unsigned v) {
    char b[32];
    std::snprintf(b, sizeof b, "%u.%u.%u", v >> 16, (v >> 8) & 0xff, v & 0xff);
    return b;
}
}  // namespace

std::vector<Component> DecoderComponents() {
    std::vector<Component> c;
    c.push_back({"FFmpeg (libavformat " + Version(avformat_version()) + ", libavcodec " + Version(avcodec_version()) +
                     ", libswresample " + Version(swresample_version()) + ")",
                 true});
    // The formats a listener expects, each checked for a decoder in this FFmpeg build.
    static const struct {
        const char* name;
        AVCodecID id;
    } kDecoders[] = {
        {"MP3", AV_CODEC_ID_MP3},         {"AAC", AV_CODEC_ID_AAC},     {"Vorbis", AV_CODEC_ID_VORBIS},
        {"Opus", AV_CODEC_ID_OPUS},       {"FLAC", AV_CODEC_ID_FLAC},   {"ALAC", AV_CODEC_ID_ALAC},
        {"WMA", AV_CODEC_ID_WMAV2},       {"WavPack", AV_CODEC_ID_WAVPACK}, {"APE", AV_CODEC_ID_APE},
        {"DSD", AV_CODEC_ID_DSD_LSBF},
    };
    for (const auto& d : kDecoders) c.push_back({std::string(d.name) + " decoder", avcodec_find_decoder(d.id) != nullptr});
    c.push_back({"libopenmpt (tracker modules)", av_find_input_format("libopenmpt") != nullptr});
    c.push_back({std::string("FluidSynth ") + fluid_version_str() + " (MIDI)", true});
    c.push_back({"General MIDI SoundFont", !detail::DefaultMidiFontPath().empty()});
    c.push_back({std::string("SoundTouch ") + soundtouch::SoundTouch::getVersionString(), true});
    SDL_version v;
    SDL_GetVersion(&v);
    char sdl[64];
    std::snprintf(sdl, sizeof sdl, "SDL %d.%d.%d (audio output)", v.major, v.minor, v.patch);
    c.push_back({sdl, true});
    return c;
}

}  // namespace tav::engine
