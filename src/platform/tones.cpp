#include "platform/tones.h"

#include <cmath>
#include <vector>

#ifdef VELT_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace velt::platform {

namespace {
std::unique_ptr<Tones>& current()
{
    static std::unique_ptr<Tones> t = std::make_unique<RecordedTones>();
    return t;
}

#ifdef VELT_HAVE_ALSA
// ALSA prints its own diagnostics when no card exists; a till without a
// speaker is normal, so keep them quiet.
void silentAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif
} // namespace

Tones& tones() { return *current(); }
std::unique_ptr<Tones> setTones(std::unique_ptr<Tones> t)
{
    std::swap(current(), t);
    return t;
}

void AlsaTones::tone(double freq, int ms)
{
#ifdef VELT_HAVE_ALSA
    if (freq <= 0 || ms <= 0) return;
    constexpr unsigned rate = 48000;
    snd_lib_error_set_handler(silentAlsa);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1, 50000) < 0) {
        snd_pcm_close(pcm);
        return;
    }
    const size_t n = size_t(rate) * size_t(ms) / 1000;
    std::vector<short> buf(n);
    const size_t fade = std::min<size_t>(n / 2, rate / 500); // 2 ms ramps: no clicks
    for (size_t i = 0; i < n; ++i) {
        double env = 1.0;
        if (i < fade) env = double(i) / double(fade);
        else if (n - i < fade) env = double(n - i) / double(fade);
        buf[i] = short(std::lround(12000.0 * env * std::sin(2.0 * M_PI * freq * double(i) / rate)));
    }
    size_t done = 0;
    while (done < n) {
        snd_pcm_sframes_t w = snd_pcm_writei(pcm, buf.data() + done, n - done);
        if (w < 0) w = snd_pcm_recover(pcm, int(w), 1);
        if (w < 0) break;
        done += size_t(w);
    }
    snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
#else
    (void)freq;
    (void)ms;
#endif
}

} // namespace velt::platform

namespace velt {
void TONE(double freq, int ms) { platform::tones().tone(freq, ms); }
} // namespace velt
