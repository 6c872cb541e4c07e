// Finds sounds in a recording of what the saver played, for the end-to-end
// tests: the WAV file ALSA's file device writes for Wine's waveOut.
//   heard [--volume <percent>] <recording.wav> <sound.wav>...
// Each sound (16-bit PCM at 44.1 kHz, mono or stereo, as the media are),
// at the output volume given (each sample times percent / 100, toward zero,
// as the mixer scales; 100 unless given), is looked for sample for sample, after the place where the one before it was
// found ends. Wine puts silence between buffers when the device has played
// all it was given (ALSA's file device plays faster than real time, so a
// busy machine's player falls behind it): frames of pure silence in the
// recording that the sound does not have are passed over and counted.
// One line per sound:
//   "<sound> at <frame> <frames that match>/<frames> <silent frames between>"
//   "<sound> not heard"
// and first "recording <frames> frames, <rate> Hz, <channels> channels,
// <bits> bits". Exits 2 when a file is not read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Pcm {
  int channels = 0, rate = 0, bits = 0;
  std::vector<int16_t> stereo;  // left, right, ...
  std::size_t frames() const { return stereo.size() / 2; }
};

uint32_t le(const std::vector<uint8_t>& d, std::size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + static_cast<std::size_t>(i)];
  return v;
}

// A recording's data chunk may still say 0 or too much (the device writes
// the lengths when it is closed, if it is): what the file holds counts.
std::optional<Pcm> read_wave(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 12 || le(d, 0, 4) != 0x46464952 || le(d, 8, 4) != 0x45564157) return std::nullopt;
  Pcm p;
  std::size_t at = 12;
  while (at + 8 <= d.size()) {
    const uint32_t id = le(d, at, 4), len = le(d, at + 4, 4);
    at += 8;
    if (id == 0x20746D66 && at + 16 <= d.size()) {
      p.channels = static_cast<int>(le(d, at + 2, 2));
      p.rate = static_cast<int>(le(d, at + 4, 4));
      p.bits = static_cast<int>(le(d, at + 14, 2));
    } else if (id == 0x61746164) {
      if (p.bits != 16 || (p.channels != 1 && p.channels != 2)) return std::nullopt;
      std::size_t end = d.size();
      if (len != 0 && len <= d.size() - at) end = at + len;
      for (std::size_t i = at; i + 2 * static_cast<std::size_t>(p.channels) <= end;
           i += 2 * static_cast<std::size_t>(p.channels)) {
        const auto l = static_cast<int16_t>(le(d, i, 2));
        const auto r = p.channels == 2 ? static_cast<int16_t>(le(d, i + 2, 2)) : l;
        p.stereo.push_back(l);
        p.stereo.push_back(r);
      }
      return p;
    }
    at += len + (len & 1);
  }
  return std::nullopt;
}

bool same_frame(const Pcm& a, std::size_t i, const Pcm& b, std::size_t j) {
  return a.stereo[2 * i] == b.stereo[2 * j] && a.stereo[2 * i + 1] == b.stereo[2 * j + 1];
}
bool silent_frame(const Pcm& a, std::size_t i) { return a.stereo[2 * i] == 0 && a.stereo[2 * i + 1] == 0; }

struct Match {
  std::size_t begins = 0, frames = 0, silence = 0;
};
// The sound's frame k found at the recording's frame q: how much of the
// sound is there around it, in order, silence apart.
Match match_at(const Pcm& rec, std::size_t from, const Pcm& s, std::size_t q, std::size_t k) {
  Match m;
  std::size_t i = q, j = k;
  while (j < s.frames() && i < rec.frames()) {
    if (same_frame(rec, i, s, j)) {
      ++m.frames, ++i, ++j;
    } else if (silent_frame(rec, i)) {
      ++m.silence, ++i;
    } else {
      break;
    }
  }
  i = q, j = k;
  while (j > 0 && i > from) {
    if (same_frame(rec, i - 1, s, j - 1)) {
      ++m.frames, --i, --j;
    } else if (silent_frame(rec, i - 1)) {
      ++m.silence, --i;
    } else {
      break;
    }
  }
  m.begins = i;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  int volume = 100;
  if (argc >= 3 && std::string(argv[1]) == "--volume") {
    volume = std::atoi(argv[2]);
    argv += 2;
    argc -= 2;
  }
  if (argc < 3) {
    std::fputs("usage: heard [--volume <percent>] <recording.wav> <sound.wav>...\n", stderr);
    return 2;
  }
  const auto rec = read_wave(argv[1]);
  if (!rec) {
    std::fprintf(stderr, "heard: %s is not a 16-bit PCM recording\n", argv[1]);
    return 2;
  }
  std::printf("recording %zu frames, %d Hz, %d channels, %d bits\n", rec->frames(), rec->rate, rec->channels,
              rec->bits);
  std::size_t from = 0;
  for (int a = 2; a < argc; ++a) {
    auto s = read_wave(argv[a]);
    if (!s || s->rate != 44100) {
      std::fprintf(stderr, "heard: %s is not 16-bit PCM at 44.1 kHz\n", argv[a]);
      return 2;
    }
    for (int16_t& v : s->stereo) v = static_cast<int16_t>(v * volume / 100);
    const std::size_t n = s->frames();
    // An anchor: the sound's first loud frame, which silence never matches.
    std::size_t anchor = 0;
    while (anchor < n && std::abs(s->stereo[2 * anchor]) + std::abs(s->stereo[2 * anchor + 1]) < 2000) ++anchor;
    Match best;
    bool found = false;
    for (std::size_t q = from + anchor; anchor < n && q < rec->frames() && best.frames < n; ++q) {
      if (!same_frame(*rec, q, *s, anchor)) continue;
      const Match m = match_at(*rec, from, *s, q, anchor);
      if (!found || m.frames > best.frames) {
        best = m;
        found = true;
      }
      // The first place where most of it is there is where it was played.
      if (m.frames * 10 >= n * 9) break;
    }
    if (found) {
      std::printf("%s at %zu %zu/%zu %zu\n", argv[a], best.begins, best.frames, n, best.silence);
      from = best.begins + best.frames + best.silence;
    } else {
      std::printf("%s not heard\n", argv[a]);
    }
  }
  return 0;
}
