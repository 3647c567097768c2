#include "storage/AppSettings.h"

#include <algorithm>

namespace tav {

AppSettings& Settings() {
    static AppSettings settings;
    return settings;
}

namespace {
template <typename T>
T Clamp(T v, T lo, T hi) {
    return std::min(hi, std::max(lo, v));
}
}  // namespace

void ClampAppSettings(AppSettings& s) {
    auto& p = s.playback;
    p.RewindOnPauseMs = std::max(0, p.RewindOnPauseMs);
    p.VolumeStep = Clamp(p.VolumeStep, 0.01f, 0.25f);
    p.Volume = Clamp(p.Volume, 0.0f, p.AllowAmplify ? 4.0f : 1.0f);
    p.Pitch = Clamp(p.Pitch, -12.0f, 12.0f);
    p.Tempo = Clamp(p.Tempo, -75.0f, 200.0f);
    p.Rate = Clamp(p.Rate, 0.25f, 4.0f);
    if (p.RepeatMode < 0 || p.RepeatMode > 2) p.RepeatMode = 0;

    auto& a = s.advanced;
    a.BufferSize = Clamp(a.BufferSize, 100, 5000);
    a.UpdatePeriod = Clamp(a.UpdatePeriod, 5, 500);
    if (a.TempoAlgorithm < 0 || a.TempoAlgorithm > 2) a.TempoAlgorithm = 0;

    auto& st = s.soundTouch;
    st.AAFilterLength = Clamp(st.AAFilterLength, 8, 128);
    st.SequenceMs = Clamp(st.SequenceMs, 0, 200);
    st.SeekWindowMs = Clamp(st.SeekWindowMs, 0, 100);
    st.OverlapMs = Clamp(st.OverlapMs, 0, 50);
    st.Algorithm = Clamp(st.Algorithm, 0, 2);

    s.signalsmith.Preset = Clamp(s.signalsmith.Preset, 0, 1);
    s.signalsmith.TonalityLimit = Clamp(s.signalsmith.TonalityLimit, 0, 20000);

    auto& e = s.effects;
    e.ReverbAlgorithm = Clamp(e.ReverbAlgorithm, 0, 3);
    if (e.RateStepMode < 0 || e.RateStepMode > 1) e.RateStepMode = 0;
    const bool enabled[4] = {e.Volume, e.Pitch, e.Tempo, e.Rate};
    if (e.CurrentEffect < 0 || e.CurrentEffect > 3 || !enabled[e.CurrentEffect]) {
        e.CurrentEffect = 0;
        for (int i = 0; i < 4; ++i)
            if (enabled[i]) {
                e.CurrentEffect = i;
                break;
            }
    }

    auto& m = s.movement;
    const bool units[12] = {m.Seek1s, m.Seek5s, m.Seek10s, m.Seek30s, m.Seek1m, m.Seek5m,
                            m.Seek10m, m.Seek30m, m.Seek1h, m.Seek1t, m.Seek5t, m.Seek10t};
    if (m.CurrentSeek < 0 || m.CurrentSeek > 11 || !units[m.CurrentSeek]) {
        m.CurrentSeek = 1;
        for (int i = 0; i < 12; ++i)
            if (units[i]) {
                m.CurrentSeek = i;
                break;
            }
    }

    s.recording.Format = Clamp(s.recording.Format, 0, 3);
    s.midi.MaxVoices = Clamp(s.midi.MaxVoices, 1, 1000);
}

}  // namespace tav
