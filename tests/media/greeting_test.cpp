// The greeting heard by a stranger: an offline speech recogniser, given
// lists of phrases that sound nearly the same as the greeting, must pick the
// greeting in every list. Its length and level are checked with the other
// sounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kGreeting = "welcome to the graveyard";
const fs::path kModel = "/usr/share/pocketsphinx/model/en-us";

// The greeting among nine phrases that sound like it: the recogniser has to
// hear the words, not guess the only sentence it knows. In each of the first
// three lists every phrase changes a word or two of one kind (the place, the
// greeting word, the small words); the last mixes changes.
struct PhraseList {
  const char* name;
  std::vector<std::string> phrases;
};

const PhraseList kLists[] = {
    {"WhereTo",
     {"welcome to the graveyard", "welcome to the courtyard", "welcome to the schoolyard", "welcome to the churchyard",
      "welcome to the backyard", "welcome to the shipyard", "welcome to the junkyard", "welcome to the graveside",
      "welcome to the grave", "welcome to the gateway"}},
    {"HowGreeted",
     {"welcome to the graveyard", "we come to the graveyard", "come to the graveyard", "welcome back to the graveyard",
      "walk on to the graveyard", "we came to the graveyard", "well done to the graveyard", "go home to the graveyard",
      "wake up in the graveyard", "we go to the graveyard"}},
    {"SmallWords",
     {"welcome to the graveyard", "welcome to my graveyard", "welcome to our graveyard", "welcome to a graveyard",
      "welcome into the graveyard", "welcome through the graveyard", "welcome to this graveyard",
      "welcome all to the graveyard", "welcome to the great yard", "welcome to their graveyard"}},
    {"Mixed",
     {"welcome to the graveyard", "where are you going", "welcome to the garden", "welcome to the vineyard",
      "welcome to the barnyard", "walk into the graveyard", "welcome back to the grave", "go to the graveyard",
      "we come to the grave", "where is the graveyard"}},
};

void PrintTo(const PhraseList& l, std::ostream* os) { *os << l.name; }

std::uint32_t le(const std::vector<unsigned char>& d, std::size_t o, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[o + std::size_t(i)];
  return v;
}

// The greeting's channels averaged, -1..1 (the sound tests check the file
// is a well-formed 16-bit PCM WAV); empty when it cannot be read.
std::vector<double> read_mono(const fs::path& p, int& rate) {
  std::ifstream in(p, std::ios::binary);
  std::vector<unsigned char> d{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int channels = 0;
  for (std::size_t o = 12; o + 8 <= d.size();) {
    std::size_t size = le(d, o + 4, 4);
    if (!std::memcmp(d.data() + o, "fmt ", 4) && o + 24 <= d.size()) {
      channels = int(le(d, o + 10, 2));
      rate = int(le(d, o + 12, 4));
    } else if (!std::memcmp(d.data() + o, "data", 4) && channels > 0) {
      std::size_t frames = std::min(size, d.size() - o - 8) / std::size_t(2 * channels);
      std::vector<double> x(frames);
      for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
          x[i] += std::int16_t(le(d, o + 8 + (i * std::size_t(channels) + std::size_t(c)) * 2, 2)) / 32768.0 / channels;
      return x;
    }
    o += 8 + size + (size & 1);
  }
  return {};
}

// 16 kHz mono 16-bit, what the recogniser's acoustic model is trained on,
// resampled through a windowed-sinc low-pass.
bool write_16k(const std::vector<double>& x, int rate, const fs::path& path) {
  const double ratio = double(rate) / 16000, cutoff = 7000.0 / rate;
  const int half = 48;
  std::size_t n = std::size_t(double(x.size()) / ratio);
  std::vector<std::int16_t> out(n);
  for (std::size_t j = 0; j < n; ++j) {
    double centre = double(j) * ratio, acc = 0;
    long k0 = long(centre) - half, k1 = long(centre) + half;
    for (long k = std::max(0L, k0); k <= k1 && k < long(x.size()); ++k) {
      double dist = centre - double(k), s = 2 * cutoff * dist;
      double sinc = std::fabs(s) < 1e-9 ? 1 : std::sin(M_PI * s) / (M_PI * s);
      double win = 0.5 + 0.5 * std::cos(M_PI * dist / (half + 1));
      acc += x[std::size_t(k)] * 2 * cutoff * sinc * win;
    }
    out[j] = std::int16_t(std::lround(std::clamp(acc, -1.0, 1.0) * 32767));
  }
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  std::uint32_t bytes = std::uint32_t(n * 2);
  f.write("RIFF", 4), u32(36 + bytes), f.write("WAVEfmt ", 8), u32(16), u16(1), u16(1), u32(16000), u32(32000), u16(2),
      u16(16), f.write("data", 4), u32(bytes);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(bytes));
  return bool(f);
}

std::string run(const std::string& command) {
  std::string text;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) text += buf;
    pclose(p);
  }
  return text;
}

class MediaGreeting : public testing::TestWithParam<PhraseList> {};

TEST_P(MediaGreeting, IsPickedAmongPhrasesThatSoundAlike) {
  if (run("command -v pocketsphinx_continuous").empty() || !fs::exists(kModel / "en-us" / "mdef") ||
      !fs::exists(kModel / "cmudict-en-us.dict"))
    GTEST_SKIP() << "no speech recogniser here (pocketsphinx and pocketsphinx-en-us; scripts/setup installs them)";
  const PhraseList& list = GetParam();
  ASSERT_EQ(std::count(list.phrases.begin(), list.phrases.end(), kGreeting), 1);
  int rate = 0;
  std::vector<double> x = read_mono(fs::path(VEXMOOR_MEDIA_TEST_DIR) / "v_sound0.wav", rate);
  ASSERT_FALSE(x.empty()) << "no greeting to hear";
  fs::path dir =
      fs::temp_directory_path() / ("vexmoor-greeting-" + std::string(list.name) + "-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ASSERT_TRUE(write_16k(x, rate, dir / "greeting.wav"));
  std::ofstream grammar(dir / "phrases.jsgf");
  grammar << "#JSGF V1.0;\ngrammar greeting;\npublic <phrase> = " << list.phrases.front();
  for (std::size_t i = 1; i < list.phrases.size(); ++i) grammar << "\n  | " << list.phrases[i];
  grammar << " ;\n";
  grammar.close();
  std::string heard = run("pocketsphinx_continuous -infile '" + (dir / "greeting.wav").string() + "' -jsgf '" +
                          (dir / "phrases.jsgf").string() + "' -hmm '" + (kModel / "en-us").string() + "' -dict '" +
                          (kModel / "cmudict-en-us.dict").string() + "' 2>'" + (dir / "log.txt").string() + "'");
  // One line per stretch of speech it found: the greeting is one.
  std::vector<std::string> lines;
  std::istringstream in(heard);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  EXPECT_EQ(lines, std::vector<std::string>{kGreeting}) << "log in " << dir;
  if (!HasFailure()) fs::remove_all(dir);
}

std::string list_name(const testing::TestParamInfo<PhraseList>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Media, MediaGreeting, testing::ValuesIn(kLists), list_name);

}  // namespace
