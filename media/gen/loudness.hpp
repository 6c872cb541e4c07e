// Loudness as people hear it (ITU-R BS.1770 / EBU R128), measured by
// libebur128: the generator sets the sounds' levels by it, the listening
// sheet reports it.
#pragma once

#include <cstddef>
#include <vector>

namespace mediagen {

struct Loudness {
    double integrated = -200;     // LUFS, gated, over the whole clip
    double momentaryPeak = -200;  // LUFS, the loudest 400 ms
    // Integrated LUFS of each 10 s stretch ending at a whole second, from
    // 10 s on; empty for a clip shorter than that.
    std::vector<double> tenSeconds;
};

// `frames` frames of `channels` interleaved samples at `rate`, multiplied
// by `gain` on the way in. A mono clip counts as played on both speakers,
// as the saver's stereo output does with it. Silence is added after the
// clip so that one shorter than a 400 ms block still has a loudness.
Loudness measure_loudness(const float* interleaved, std::size_t frames, int channels, int rate, double gain = 1);

}  // namespace mediagen
