#include "sounds.hpp"

#include <espeak-ng/speak_lib.h>

#include <cstring>
#include <mutex>

namespace mediagen {

namespace {

std::vector<short>* collecting = nullptr;

int collect(short* samples, int count, espeak_EVENT*) {
    if (samples && collecting) collecting->insert(collecting->end(), samples, samples + count);
    return 0;
}

}  // namespace

Wave speak(const std::string& text, const std::string& voiceName, int wpm, int pitch, int range) {
    // eSpeak keeps global state and one callback; one speaker at a time.
    static std::mutex m;
    std::lock_guard<std::mutex> lock(m);
    static int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return {};
    std::vector<short> pcm;
    collecting = &pcm;
    espeak_SetSynthCallback(collect);
    espeak_SetVoiceByName(voiceName.c_str());
    espeak_SetParameter(espeakRATE, wpm, 0);
    espeak_SetParameter(espeakPITCH, pitch, 0);
    espeak_SetParameter(espeakRANGE, range, 0);
    espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    collecting = nullptr;
    // Cubic interpolation between eSpeak's samples up to kRate.
    double step = double(rate) / kRate;
    std::size_t n = pcm.size() < 4 ? 0 : std::size_t((pcm.size() - 3) / step);
    Wave out(n);
    for (std::size_t i = 0; i < n; ++i) {
        double pos = 1 + i * step;
        std::size_t k = std::size_t(pos);
        double f = pos - k;
        double y0 = pcm[k - 1], y1 = pcm[k], y2 = pcm[k + 1], y3 = pcm[k + 2];
        double c1 = 0.5 * (y2 - y0), c2 = y0 - 2.5 * y1 + 2 * y2 - 0.5 * y3, c3 = 0.5 * (y3 - y0) + 1.5 * (y1 - y2);
        out[i] = float((((c3 * f + c2) * f + c1) * f + y1) / 32768.0);
    }
    return out;
}

}  // namespace mediagen
