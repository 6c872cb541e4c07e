// Checks the generated pictures against the layout the saver reads them with:
// sizes, depth, frame strips, exact masks, the foreground band pair, the glow
// pictures, the owl's fit in the sky, walkers whose feet hold the ground,
// and that generating (pictures, sounds and songs) is repeatable.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum Kind { kMasked, kOpaque, kGlow, kGlowMasked };

struct Expected {
  const char* file;
  int fw, fh, frames, strips;
  Kind kind;
};

// The pictures as the saver and the dialog read them.
const Expected kPictures[] = {
    {"v_background_top.bmp", 800, 315, 1, 1, kOpaque},
    {"v_background_mid1.bmp", 800, 132, 1, 1, kOpaque},
    {"v_background_mid2.bmp", 800, 132, 1, 1, kOpaque},
    {"v_background_mid3.bmp", 800, 132, 1, 1, kOpaque},
    {"v_background_bot.bmp", 800, 153, 1, 1, kOpaque},
    {"v_tombstone1.bmp", 134, 199, 1, 1, kMasked},
    {"v_tombstone2.bmp", 77, 125, 1, 1, kMasked},
    {"v_tombstone4.bmp", 102, 184, 1, 1, kMasked},
    {"v_bat.bmp", 26, 23, 8, 2, kMasked},
    {"v_dove.bmp", 27, 46, 8, 2, kMasked},
    {"v_skeleton1.bmp", 151, 200, 12, 1, kMasked},
    {"v_skeleton2.bmp", 45, 64, 12, 2, kMasked},
    {"v_zombie.bmp", 39, 66, 10, 1, kMasked},
    {"v_watchman.bmp", 87, 157, 14, 1, kGlow},
    {"v_bouncingpumpkin.bmp", 46, 137, 8, 1, kMasked},
    {"v_scorpion.bmp", 38, 33, 5, 1, kMasked},
    {"v_rat1.bmp", 65, 43, 5, 2, kMasked},
    {"v_rat2.bmp", 45, 30, 5, 2, kMasked},
    {"v_firefly.bmp", 20, 19, 8, 1, kGlowMasked},
    {"v_flower.bmp", 50, 50, 8, 1, kMasked},
    {"v_gravedigger.bmp", 59, 74, 16, 1, kMasked},
    {"v_hand.bmp", 61, 98, 17, 1, kMasked},
    {"v_owl.bmp", 32, 48, 6, 1, kOpaque},
    {"v_medallion.bmp", 65, 38, 3, 1, kMasked},
    {"v_crow1.bmp", 83, 64, 6, 1, kMasked},
    {"v_Crow2.bmp", 84, 59, 7, 1, kMasked},
    {"v_blooddrip.bmp", 51, 113, 14, 1, kMasked},
    {"v_lightning1.bmp", 171, 182, 4, 1, kMasked},
    {"v_lightning2.bmp", 171, 182, 2, 1, kMasked},
    {"v_spider.bmp", 79, 93, 1, 1, kMasked},
    {"v_owl_preview.bmp", 82, 81, 4, 1, kMasked},
    {"v_bat_preview.bmp", 36, 32, 8, 1, kMasked},
    {"v_preview.bmp", 127, 100, 21, 1, kMasked},
    {"v_question.bmp", 17, 17, 1, 1, kOpaque},
    {"v_speaker.bmp", 17, 17, 1, 1, kOpaque},
    {"v_logo.bmp", 201, 66, 1, 1, kOpaque},
    {"v_webaddress.bmp", 144, 16, 1, 1, kOpaque},
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.file; }

bool has_mask(const Expected& e) { return e.kind == kMasked || e.kind == kGlowMasked; }

struct Px {
  std::uint8_t r = 0, g = 0, b = 0;
  bool black() const { return r == 0 && g == 0 && b == 0; }
  bool white() const { return r == 255 && g == 255 && b == 255; }
  bool operator==(const Px&) const = default;
};

struct Bmp {
  std::string error;  // empty when the file parsed as a 24-bit BITMAPINFOHEADER bottom-up BMP
  int w = 0, h = 0;
  std::vector<Px> px;  // top row first
  const Px& at(int x, int y) const { return px[std::size_t(y) * w + x]; }
};

std::uint32_t le32(const std::vector<unsigned char>& d, std::size_t o) {
  return d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | (std::uint32_t(d[o + 3]) << 24);
}
std::uint16_t le16(const std::vector<unsigned char>& d, std::size_t o) { return std::uint16_t(d[o] | (d[o + 1] << 8)); }

std::vector<unsigned char> slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bmp read_bmp(const fs::path& p) {
  Bmp b;
  auto d = slurp(p);
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return b.error = "not a BMP", b;
  if (le32(d, 14) != 40) return b.error = "header is not BITMAPINFOHEADER", b;
  std::int32_t w = std::int32_t(le32(d, 18)), h = std::int32_t(le32(d, 22));
  if (le16(d, 26) != 1 || le16(d, 28) != 24) return b.error = "not 24-bit", b;
  if (le32(d, 30) != 0) return b.error = "compressed", b;
  if (w <= 0 || h <= 0) return b.error = "not bottom-up", b;
  std::size_t row = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
  std::size_t off = le32(d, 10);
  if (off + row * h > d.size()) return b.error = "truncated", b;
  if (le32(d, 2) != d.size()) return b.error = "file size field is wrong", b;
  b.w = w;
  b.h = h;
  b.px.resize(std::size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const unsigned char* r = d.data() + off + row * (h - 1 - y);
    for (int x = 0; x < w; ++x) b.px[std::size_t(y) * w + x] = {r[3 * x + 2], r[3 * x + 1], r[3 * x]};
  }
  return b;
}

fs::path fresh_dir(const char* tag) {
  static int n = 0;
  fs::path p = fs::temp_directory_path() /
               ("vexmoor-media-" + std::string(tag) + "-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

bool generate(const fs::path& dir) {
  std::string cmd = std::string("\"") + VEXMOOR_MEDIAGEN + "\" --out \"" + dir.string() + "\" > \"" +
                    (dir / "log.txt").string() + "\" 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// One generated set shared by every test of this program.
class MediaSet {
 public:
  static MediaSet& get() {
    static MediaSet set;
    return set;
  }
  const fs::path& dir() const { return dir_; }
  bool ok() const { return ok_; }
  const Bmp& bmp(const std::string& file) {
    auto it = cache_.find(file);
    if (it == cache_.end()) it = cache_.emplace(file, read_bmp(dir_ / file)).first;
    return it->second;
  }

 private:
  // The set is written once by the MediaGenerate fixture before these tests run.
  MediaSet() : dir_(VEXMOOR_MEDIA_TEST_DIR), ok_(fs::exists(dir_ / "v_background_top.bmp")) {}
  fs::path dir_;
  bool ok_;
  std::map<std::string, Bmp> cache_;
};

const Expected& expected(const std::string& file) {
  for (const auto& e : kPictures)
    if (file == e.file) return e;
  throw std::runtime_error("no such picture " + file);
}

std::string param_name(const testing::TestParamInfo<Expected>& info) {
  std::string s = info.param.file;
  s = s.substr(0, s.size() - 4);
  for (char& c : s)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return s;
}

class MediaPicture : public testing::TestWithParam<Expected> {
 protected:
  void SetUp() override { ASSERT_TRUE(MediaSet::get().ok()) << "the generator failed"; }
  const Bmp& pic() { return MediaSet::get().bmp(GetParam().file); }
  // Frame f of strip s, image half.
  static std::vector<Px> frame(const Bmp& b, const Expected& e, int s, int f) {
    std::vector<Px> out;
    int x0 = (s * e.frames + f) * e.fw;
    for (int y = 0; y < e.fh; ++y)
      for (int x = 0; x < e.fw; ++x) out.push_back(b.at(x0 + x, y));
    return out;
  }
};

TEST_P(MediaPicture, IsA24BitBottomUpBmpOfTheStripSize) {
  const Expected& e = GetParam();
  ASSERT_TRUE(fs::exists(MediaSet::get().dir() / e.file));
  const Bmp& b = pic();
  ASSERT_EQ(b.error, "");
  EXPECT_EQ(b.w, e.fw * e.frames * e.strips);
  EXPECT_EQ(b.h, has_mask(e) ? 2 * e.fh : e.fh);
}

class MediaMaskedPicture : public MediaPicture {};

TEST_P(MediaMaskedPicture, MaskIsWhiteExactlyWhereTheImageIsBlack) {
  const Expected& e = GetParam();
  const Bmp& b = pic();
  ASSERT_EQ(b.error, "");
  int wrong = 0, sprite = 0;
  for (int y = 0; y < e.fh; ++y)
    for (int x = 0; x < b.w; ++x) {
      const Px& img = b.at(x, y);
      const Px& m = b.at(x, y + e.fh);
      if (!img.black()) ++sprite;
      if (img.black() ? !m.white() : !m.black()) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(sprite, 0) << "nothing is drawn";
}

TEST_P(MediaPicture, EveryFrameShowsSomethingAndTheFramesMove) {
  const Expected& e = GetParam();
  const Bmp& b = pic();
  ASSERT_EQ(b.error, "");
  for (int s = 0; s < e.strips; ++s) {
    bool allSame = true;
    auto first = frame(b, e, s, 0);
    for (int f = 0; f < e.frames; ++f) {
      auto fr = frame(b, e, s, f);
      if (fr != first) allSame = false;
      int lit = 0;
      for (const Px& p : fr) lit += !p.black();
      // The lightning and the hand may start almost empty; nothing is ever blank.
      EXPECT_GT(lit, 0) << "strip " << s << " frame " << f << " is blank";
    }
    if (e.frames > 1) { EXPECT_FALSE(allSame) << "strip " << s << " does not move"; }
  }
  if (e.strips == 2) { EXPECT_NE(frame(b, e, 0, 0), frame(b, e, 1, 0)) << "both direction strips are the same"; }
}

INSTANTIATE_TEST_SUITE_P(Media, MediaPicture, testing::ValuesIn(kPictures), param_name);

std::vector<Expected> masked_pictures() {
  std::vector<Expected> v;
  for (const auto& e : kPictures)
    if (has_mask(e)) v.push_back(e);
  return v;
}
INSTANTIATE_TEST_SUITE_P(Media, MediaMaskedPicture, testing::ValuesIn(masked_pictures()), param_name);

// ---- Figures whole inside their frames --------------------------------------

// Which edges of a frame its figure must keep clear of: a figure standing
// on the ground may touch the bottom; nothing is cut by the other edges.
struct ClearEdges {
  const char* file;
  bool left, top, right;
};
const ClearEdges kClearEdges[] = {
    {"v_zombie.bmp", true, true, true},
    {"v_gravedigger.bmp", true, true, true},
    {"v_hand.bmp", true, true, true},
};
void PrintTo(const ClearEdges& c, std::ostream* os) { *os << c.file; }

class MediaFigure : public testing::TestWithParam<ClearEdges> {};

TEST_P(MediaFigure, IsNotCutByTheFramesEdges) {
  const ClearEdges& c = GetParam();
  const Expected& e = expected(c.file);
  const Bmp& b = MediaSet::get().bmp(c.file);
  ASSERT_EQ(b.error, "");
  // The mask row: black where the figure is.
  auto figure = [&](int f, int x, int y) { return b.at(f * e.fw + x, e.fh + y).black(); };
  for (int f = 0; f < e.frames; ++f) {
    int left = 0, top = 0, right = 0;
    for (int y = 0; y < e.fh; ++y) left += figure(f, 0, y), right += figure(f, e.fw - 1, y);
    for (int x = 0; x < e.fw; ++x) top += figure(f, x, 0);
    if (c.left) { EXPECT_EQ(left, 0) << "frame " << f + 1 << " is cut by the left edge"; }
    if (c.top) { EXPECT_EQ(top, 0) << "frame " << f + 1 << " is cut by the top edge"; }
    if (c.right) { EXPECT_EQ(right, 0) << "frame " << f + 1 << " is cut by the right edge"; }
  }
}

std::string edges_name(const testing::TestParamInfo<ClearEdges>& info) {
  std::string s = info.param.file;
  return s.substr(2, s.size() - 6);
}
INSTANTIATE_TEST_SUITE_P(Media, MediaFigure, testing::ValuesIn(kClearEdges), edges_name);

TEST(MediaOwlPreview, HasNoSeeThroughSlit) {
  // See-through pixels the sky around the owl cannot reach (4-connected)
  // are holes in the owl. Only between its toes, where they grip the
  // bough (from row 66 down), may the sky show through.
  const Expected& e = expected("v_owl_preview.bmp");
  const Bmp& b = MediaSet::get().bmp(e.file);
  ASSERT_EQ(b.error, "");
  const int kFeet = 66;
  for (int f = 0; f < e.frames; ++f) {
    auto owl = [&](int x, int y) { return b.at(f * e.fw + x, e.fh + y).black(); };
    std::vector<char> sky(std::size_t(e.fw * e.fh), 0);
    std::vector<std::pair<int, int>> todo;
    auto reach = [&](int x, int y) {
      if (x < 0 || y < 0 || x >= e.fw || y >= e.fh || owl(x, y) || sky[std::size_t(y * e.fw + x)]) return;
      sky[std::size_t(y * e.fw + x)] = 1;
      todo.push_back({x, y});
    };
    for (int x = 0; x < e.fw; ++x) reach(x, 0), reach(x, e.fh - 1);
    for (int y = 0; y < e.fh; ++y) reach(0, y), reach(e.fw - 1, y);
    while (!todo.empty()) {
      auto [x, y] = todo.back();
      todo.pop_back();
      reach(x + 1, y), reach(x - 1, y), reach(x, y + 1), reach(x, y - 1);
    }
    int holes = 0;
    for (int y = 0; y < kFeet; ++y)
      for (int x = 0; x < e.fw; ++x) holes += !owl(x, y) && !sky[std::size_t(y * e.fw + x)];
    EXPECT_EQ(holes, 0) << "frame " << f + 1;
  }
}

TEST(MediaBats, StandOutDarkAndMoonlitAgainstTheNightSky) {
  // Rec. 601 luma against the sky the bats fly over: the darker quarter
  // of each bat is darker than the sky, and most of its outline (its
  // pixels next to the sky) is lit well above it.
  const Px sky{20, 26, 58};
  auto luma = [](const Px& p) { return 0.299 * p.r + 0.587 * p.g + 0.114 * p.b; };
  const Expected& e = expected("v_bat.bmp");
  const Bmp& b = MediaSet::get().bmp(e.file);
  ASSERT_EQ(b.error, "");
  for (int f = 0; f < e.frames * e.strips; ++f) {
    auto bat = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < e.fw && y < e.fh && b.at(f * e.fw + x, e.fh + y).black();
    };
    std::vector<double> all;
    int edge = 0, litEdge = 0;
    for (int y = 0; y < e.fh; ++y)
      for (int x = 0; x < e.fw; ++x) {
        if (!bat(x, y)) continue;
        double l = luma(b.at(f * e.fw + x, y));
        all.push_back(l);
        if (!(bat(x - 1, y) && bat(x + 1, y) && bat(x, y - 1) && bat(x, y + 1))) ++edge, litEdge += l > luma(sky) + 30;
      }
    ASSERT_GT(edge, 0);
    std::nth_element(all.begin(), all.begin() + long(all.size() / 4), all.end());
    EXPECT_LT(all[all.size() / 4], luma(sky) - 5) << "frame " << f + 1 << ": no darker than the sky";
    EXPECT_GT(double(litEdge) / edge, 0.7) << "frame " << f + 1 << ": too little of its outline catches the light";
  }
}

class MediaScene : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MediaSet::get().ok()) << "the generator failed"; }
  const Bmp& bmp(const char* f) {
    const Bmp& b = MediaSet::get().bmp(f);
    EXPECT_EQ(b.error, "") << f;
    return b;
  }
};

TEST_F(MediaScene, ForegroundBandIsAnExactMaskAndImagePair) {
  const Bmp& mask = bmp("v_background_mid2.bmp");
  const Bmp& image = bmp("v_background_mid3.bmp");
  ASSERT_EQ(mask.px.size(), image.px.size());
  int bad = 0;
  for (std::size_t i = 0; i < mask.px.size(); ++i) {
    if (mask.px[i].white()) {
      bad += !image.px[i].black();
    } else if (mask.px[i].black()) {
      bad += image.px[i].black();
    } else {
      ++bad;  // a mask holds only white and black
    }
  }
  EXPECT_EQ(bad, 0);
}

// Fraction of mask pixels that cover (black) in scene rows y0..y1.
double covered(const Bmp& mask, int y0, int y1) {
  int n = 0, c = 0;
  for (int y = y0 - 315; y <= y1 - 315; ++y)
    for (int x = 0; x < mask.w; ++x, ++n) c += mask.at(x, y).black();
  return double(c) / n;
}

TEST_F(MediaScene, ForegroundBandHidesTheWalkersLegsButNotTheFliers) {
  const Bmp& mask = bmp("v_background_mid2.bmp");
  ASSERT_EQ(mask.h, 132);
  // Bats fly with their top at y 315..356 and are 23 high; the dove's top is at 315.
  EXPECT_EQ(covered(mask, 315, 378), 0.0);
  // The heads of the zombie (top 387) and the small skeleton (top 386).
  EXPECT_LT(covered(mask, 386, 400), 0.05);
  // Their legs, down to the ground band.
  EXPECT_GT(covered(mask, 430, 446), 0.9);
  EXPECT_EQ(covered(mask, 440, 446), 1.0) << "the band must meet the ground band without gaps";
}

TEST_F(MediaScene, GlowPicturesAreBlackWhereNothingGlows) {
  for (const char* f : {"v_watchman.bmp", "v_firefly.bmp"}) {
    const Expected& e = expected(f);
    const Bmp& b = bmp(f);
    for (int fr = 0; fr < e.frames; ++fr) {
      int x0 = fr * e.fw, dark = 0;
      for (int y = 0; y < e.fh; ++y)
        for (int x = 0; x < e.fw; ++x) {
          bool edge = x == 0 || y == 0 || x == e.fw - 1 || y == e.fh - 1;
          if (edge) { EXPECT_TRUE(b.at(x0 + x, y).black()) << f << " frame " << fr << " glows at its edge"; }
          dark += b.at(x0 + x, y).black();
        }
      EXPECT_GT(dark, e.fw * e.fh / 3) << f << " frame " << fr << " has no dark surroundings";
    }
  }
}

TEST_F(MediaScene, OwlFramesBlendIntoTheSkyAroundTheHollow) {
  const Bmp& owl = bmp("v_owl.bmp");
  const Bmp& sky = bmp("v_background_top.bmp");
  ASSERT_EQ(owl.w, 192);
  const int ox = 688, oy = 174, margin = 3;
  std::vector<int> changed(6, 0);
  for (int f = 0; f < 6; ++f)
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 32; ++x) {
        bool same = owl.at(f * 32 + x, y) == sky.at(ox + x, oy + y);
        bool rim = x < margin || y < margin || x >= 32 - margin || y >= 48 - margin;
        if (rim) { EXPECT_TRUE(same) << "frame " << f << " (" << x << "," << y << ") shows a rectangle"; }
        changed[f] += !same;
      }
  for (int f = 0; f < 6; ++f) EXPECT_GT(changed[f], 40) << "no owl in frame " << f;
  // Eyes closed in frame 0, wide open in frame 5: the two must differ.
  int diff = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 32; ++x) diff += !(owl.at(x, y) == owl.at(5 * 32 + x, y));
  EXPECT_GT(diff, 10);
}

int sprite_pixels(const Bmp& b, const Expected& e, int f, int rowFrom = 0) {
  int n = 0;
  for (int y = rowFrom; y < e.fh; ++y)
    for (int x = 0; x < e.fw; ++x) n += !b.at(f * e.fw + x, y).black();
  return n;
}

TEST_F(MediaScene, NamedFramesShowTheirAction) {
  // The hand: nothing but soil at frame 0, fully risen at 16.
  const Expected& hand = expected("v_hand.bmp");
  const Bmp& h = bmp("v_hand.bmp");
  EXPECT_EQ(sprite_pixels(h, hand, 0), sprite_pixels(h, hand, 0, hand.fh * 2 / 3))
      << "frame 0 shows more than the soil at the bottom";
  EXPECT_GT(sprite_pixels(h, hand, 16), 2 * sprite_pixels(h, hand, 0));
  auto above = [&](int f) { return sprite_pixels(h, hand, f) - sprite_pixels(h, hand, f, hand.fh * 2 / 3); };
  for (int f = 4; f <= 16; f += 4) EXPECT_GT(above(f), above(f - 4)) << "the hand does not rise by frame " << f;
  // The first bolt grows over its four frames.
  const Expected& bolt = expected("v_lightning1.bmp");
  const Bmp& l = bmp("v_lightning1.bmp");
  for (int f = 1; f < 4; ++f) EXPECT_GT(sprite_pixels(l, bolt, f), sprite_pixels(l, bolt, f - 1)) << "frame " << f;
}

// Soles on the ground: the sprite pixels in the lowest rows of a frame, as
// scene columns once the frame is drawn `shift` pixels along.
std::vector<int> soles(const Bmp& b, const Expected& e, int strip, int f, int shift) {
  int x0 = (strip * e.frames + f) * e.fw, bottom = -1;
  for (int y = e.fh - 1; y >= 0 && bottom < 0; --y)
    for (int x = 0; x < e.fw; ++x)
      if (!b.at(x0 + x, y).black()) bottom = y;
  std::vector<int> cols;
  for (int y = std::max(0, bottom - 2); y <= bottom; ++y)
    for (int x = 0; x < e.fw; ++x)
      if (!b.at(x0 + x, y).black()) cols.push_back((y << 16) + x + shift + 1000);
  std::sort(cols.begin(), cols.end());
  return cols;
}

// How well the soles of each frame land on those of the next once the
// creature has moved on by `speed`, averaged over the cycle (1: exactly). A
// foot on the ground stays put only if the stride fits the speed.
double sole_fit(const Bmp& b, const Expected& e, int strip, int speed) {
  double sum = 0;
  for (int f = 0; f < e.frames; ++f) {
    auto a = soles(b, e, strip, f, speed * f);
    auto c = soles(b, e, strip, (f + 1) % e.frames, speed * (f + 1));
    std::vector<int> both;
    std::set_intersection(a.begin(), a.end(), c.begin(), c.end(), std::back_inserter(both));
    if (!a.empty() && !c.empty()) sum += double(both.size()) / double(std::min(a.size(), c.size()));
  }
  return sum / e.frames;
}

TEST_F(MediaScene, WalkersFeetHoldTheGroundAtTheirSpeed) {
  struct Walker {
    const char* file;
    int strip, speed;  // pixels per tick as the saver moves that strip
  };
  // The two-legged walkers; a galloping rat's paws skim the ground between
  // strides, which makes its soles too ambiguous for this measure.
  const Walker walkers[] = {
      {"v_skeleton1.bmp", 0, 15}, {"v_skeleton2.bmp", 0, -7}, {"v_skeleton2.bmp", 1, 7}, {"v_zombie.bmp", 0, -2}};
  for (const Walker& w : walkers) {
    const Expected& e = expected(w.file);
    const Bmp& b = bmp(w.file);
    double fit = sole_fit(b, e, w.strip, w.speed);
    EXPECT_GE(fit, 0.8) << w.file << " strip " << w.strip << ": the feet slide";
    // And the stride is the one for this speed, not for a slower or faster walk.
    EXPECT_GT(fit, sole_fit(b, e, w.strip, w.speed * 2 / 3)) << w.file << " strip " << w.strip;
    EXPECT_GT(fit, sole_fit(b, e, w.strip, w.speed * 3 / 2)) << w.file << " strip " << w.strip;
  }
}

// Pixels that change from frame a to frame b of a strip.
int frame_change(const Bmp& b, const Expected& e, int strip, int fa, int fb) {
  int n = 0;
  for (int y = 0; y < e.fh; ++y)
    for (int x = 0; x < e.fw; ++x)
      n += !(b.at((strip * e.frames + fa) * e.fw + x, y) == b.at((strip * e.frames + fb) * e.fw + x, y));
  return n;
}

TEST_F(MediaScene, LoopsCloseWithoutAJump) {
  struct Loop {
    const char* file;
    int length;  // frames played in a loop (the strip or its first part)
  };
  // Everything the saver or the dialog plays round and round; the title
  // strip loops over 18 frames in the preview window and 21 in the dialog.
  const Loop loops[] = {
      {"v_bat.bmp", 8},          {"v_dove.bmp", 8},      {"v_skeleton1.bmp", 12},      {"v_skeleton2.bmp", 12},
      {"v_zombie.bmp", 10},      {"v_watchman.bmp", 14}, {"v_bouncingpumpkin.bmp", 8}, {"v_scorpion.bmp", 5},
      {"v_rat1.bmp", 5},         {"v_rat2.bmp", 5},      {"v_firefly.bmp", 8},         {"v_flower.bmp", 8},
      {"v_gravedigger.bmp", 16}, {"v_Crow2.bmp", 7},     {"v_blooddrip.bmp", 14},      {"v_bat_preview.bmp", 8},
      {"v_preview.bmp", 18},     {"v_preview.bmp", 21}};
  for (const Loop& l : loops) {
    const Expected& e = expected(l.file);
    const Bmp& b = bmp(l.file);
    for (int s = 0; s < e.strips; ++s) {
      int biggest = 0;
      for (int f = 0; f + 1 < l.length; ++f) biggest = std::max(biggest, frame_change(b, e, s, f, f + 1));
      int seam = frame_change(b, e, s, l.length - 1, 0);
      // The step from the last frame back to the first changes no more of
      // the picture than the steps inside the loop do.
      EXPECT_LE(seam, biggest * 5 / 4 + 4)
          << l.file << " strip " << s << " jumps from frame " << l.length - 1 << " back to 0";
    }
  }
}

TEST(MediaGenerator, TwoRunsWriteIdenticalBytes) {
  ASSERT_TRUE(MediaSet::get().ok());
  fs::path second = fresh_dir("again");
  ASSERT_TRUE(generate(second));
  std::vector<std::string> files;
  for (const auto& e : kPictures) files.push_back(e.file);
  for (int n = 0; n < 12; ++n) {
    files.push_back("v_sound" + std::to_string(n) + ".wav");
    files.push_back("v_song" + std::to_string(n) + ".Mid");
  }
  for (const auto& f : files) {
    auto first = slurp(MediaSet::get().dir() / f);
    EXPECT_FALSE(first.empty()) << f << " is missing";
    EXPECT_TRUE(first == slurp(second / f)) << f << " differs";
  }
  fs::remove_all(second);
}

TEST(MediaGenerator, RefusesToRunWithoutAnOutputDirectory) {
  std::string cmd = std::string("\"") + VEXMOOR_MEDIAGEN + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(cmd.c_str()), 0);
}

}  // namespace
