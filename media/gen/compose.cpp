#include "compose.hpp"

#include "geom.hpp"

#include <algorithm>
#include <cstdio>

namespace mediagen {

namespace {

// The three raster operations of the saver, clipped to both pictures.
enum class Rop { Copy, And, Or };

void blit(Image& dst, int dx, int dy, int w, int h, const Image& src, int sx, int sy, Rop op) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!dst.inside(dx + x, dy + y) || !src.inside(sx + x, sy + y)) continue;
      if (sx + x < 0 || sy + y < 0) continue;
      Rgb8& d = dst.at(dx + x, dy + y);
      const Rgb8& s = src.at(sx + x, sy + y);
      switch (op) {
        case Rop::Copy: d = s; break;
        case Rop::And: d = {std::uint8_t(d.r & s.r), std::uint8_t(d.g & s.g), std::uint8_t(d.b & s.b)}; break;
        case Rop::Or: d = {std::uint8_t(d.r | s.r), std::uint8_t(d.g | s.g), std::uint8_t(d.b | s.b)}; break;
      }
    }
}

struct Composer {
  const Library& lib;
  Image buf{geom::kSceneW, geom::kSceneH};

  const std::pair<Layout, Image>& get(const std::string& f) const { return lib.at(f); }

  void layer(const std::string& f, int y, Rop op) {
    const auto& [lay, img] = get(f);
    blit(buf, 0, y, img.w, img.h, img, 0, 0, op);
  }
  void masked(const std::string& f, int frame, int strip, int x, int y) {
    const auto& [lay, img] = get(f);
    int sx = (strip * lay.frames + frame) * lay.fw;
    blit(buf, x, y, lay.fw, lay.fh, img, sx, lay.fh, Rop::And);
    blit(buf, x, y, lay.fw, lay.fh, img, sx, 0, Rop::Or);
  }
  void glow(const std::string& f, int frame, int x, int y) {
    const auto& [lay, img] = get(f);
    blit(buf, x, y, lay.fw, lay.fh, img, frame * lay.fw, 0, Rop::Or);
  }
  void opaque(const std::string& f, int frame, int x, int y) {
    const auto& [lay, img] = get(f);
    blit(buf, x, y, lay.fw, lay.fh, img, frame * lay.fw, 0, Rop::Copy);
  }
};

// One moment of the scene: frames and the places of the travelling creatures.
struct Moment {
  const char* name;
  int bats[6][4];  // x, y, frame, strip
  int dove[4];
  int skel2[4], zombie[2];
  int lightning1, lightning2;  // frame or -1
  int digger, flower;
  int rat2[3], watchman[2], scorpion[3];
  int pumpkin[2], skel1[2];
  int medallion, crow1, crow2, hand, blood;
  int rat1[3];
  int spiderY, owl;
  int fireflies[15][3];
};

void compose(Composer& c, const Moment& m) {
  using namespace geom;
  c.layer("v_background_top.bmp", 0, Rop::Copy);
  c.layer("v_background_mid1.bmp", kMidY, Rop::Copy);
  for (auto& b : m.bats) c.masked("v_bat.bmp", b[2], b[3], b[0], b[1]);
  c.masked("v_dove.bmp", m.dove[2], m.dove[3], m.dove[0], m.dove[1]);
  c.masked("v_skeleton2.bmp", m.skel2[2], m.skel2[3], m.skel2[0], m.skel2[1]);
  c.masked("v_zombie.bmp", m.zombie[1], 0, m.zombie[0], kZombieY);
  c.layer("v_background_mid2.bmp", kMidY, Rop::And);
  c.layer("v_background_mid3.bmp", kMidY, Rop::Or);
  c.layer("v_background_bot.bmp", kBotY, Rop::Copy);
  if (m.lightning1 >= 0) c.masked("v_lightning1.bmp", m.lightning1, 0, 320, 214);
  if (m.lightning2 >= 0) c.masked("v_lightning2.bmp", m.lightning2, 0, 20, 125);
  c.masked("v_gravedigger.bmp", m.digger, 0, 650, 415);
  c.masked("v_flower.bmp", m.flower, 0, 335, 468);
  c.masked("v_rat2.bmp", m.rat2[1], m.rat2[2], m.rat2[0], 500);
  c.glow("v_watchman.bmp", m.watchman[1], m.watchman[0], 378);
  c.masked("v_scorpion.bmp", m.scorpion[2], 0, m.scorpion[0], m.scorpion[1]);
  c.masked("v_tombstone2.bmp", 0, 0, kTomb2X, kTomb2Y);
  c.masked("v_tombstone2.bmp", 0, 0, kTomb3X, kTomb2Y);
  c.masked("v_bouncingpumpkin.bmp", m.pumpkin[1], 0, m.pumpkin[0], 448);
  c.masked("v_skeleton1.bmp", m.skel1[1], 0, m.skel1[0], 385);
  c.masked("v_tombstone1.bmp", 0, 0, kTomb1X, kTomb1Y);
  c.masked("v_tombstone4.bmp", 0, 0, kTomb4X, kTomb4Y);
  c.masked("v_medallion.bmp", m.medallion, 0, kTomb4X + 18, kTomb4Y + 50);
  c.masked("v_crow1.bmp", m.crow1, 0, kTomb1X + 51, 365);
  c.masked("v_Crow2.bmp", m.crow2, 0, kTomb1X + 85, 540);
  c.masked("v_hand.bmp", m.hand, 0, 710, 500);
  c.masked("v_blooddrip.bmp", m.blood, 0, kTomb1X - 20, kTomb1Y + 83);
  c.masked("v_rat1.bmp", m.rat1[1], m.rat1[2], m.rat1[0], 550);
  c.masked("v_spider.bmp", 0, 0, 200, m.spiderY);
  for (int y = 0; y <= m.spiderY; ++y) c.buf.at(239, y) = {128, 128, 128};
  c.opaque("v_owl.bmp", m.owl, kOwlX, kOwlY);
  for (auto& f : m.fireflies) c.glow("v_firefly.bmp", f[2], f[0], f[1]);
}

const Moment kMoments[] = {
    {"scene_night",
     {{120, 330, 0, 0}, {180, 345, 3, 0}, {505, 322, 5, 1}, {560, 340, 2, 1}, {330, 352, 6, 0}, {690, 318, 1, 1}},
     {420, 315, 3, 0},
     {250, 386, 4, 0},
     {560, 2},
     -1,
     -1,
     5,
     2,
     {560, 1, 1},
     {400, 4},
     {640, 520, 1},
     {377, 3},
     {290, 6},
     0,
     0,
     2,
     16,
     4,
     {420, 2, 0},
     155,
     5,
     {{60, 250, 0},
      {150, 420, 2},
      {300, 300, 4},
      {480, 470, 6},
      {520, 200, 1},
      {640, 380, 3},
      {760, 280, 5},
      {90, 520, 7},
      {400, 160, 2},
      {700, 480, 4},
      {230, 380, 6},
      {590, 540, 0},
      {350, 430, 3},
      {30, 350, 5},
      {780, 120, 1}}},
    {"scene_storm",
     {{60, 350, 2, 0}, {260, 338, 7, 0}, {420, 326, 1, 1}, {610, 335, 4, 1}, {720, 352, 5, 0}, {350, 316, 0, 1}},
     {150, 320, 6, 1},
     {600, 386, 9, 1},
     {330, 7},
     1,
     1,
     11,
     6,
     {230, 3, 0},
     {120, 9},
     {600, 550, 3},
     {560, 6},
     {560, 10},
     2,
     5,
     5,
     8,
     9,
     {180, 4, 1},
     40,
     0,
     {{80, 280, 1},
      {170, 460, 3},
      {330, 260, 5},
      {500, 480, 7},
      {560, 250, 2},
      {660, 420, 4},
      {740, 300, 6},
      {110, 540, 0},
      {420, 200, 3},
      {720, 500, 5},
      {260, 400, 7},
      {610, 560, 1},
      {380, 410, 2},
      {40, 390, 4},
      {770, 170, 6}}},
    {"scene_later",
     {{200, 340, 4, 0}, {240, 325, 1, 0}, {300, 350, 6, 0}, {640, 330, 3, 1}, {700, 345, 0, 1}, {740, 320, 7, 1}},
     {680, 330, 1, 0},
     {420, 386, 1, 0},
     {250, 8},
     3,
     0,
     14,
     5,
     {700, 4, 1},
     {560, 12},
     {560, 570, 4},
     {90, 1},
     {480, 2},
     1,
     3,
     0,
     12,
     1,
     {620, 1, 0},
     -93,
     3,
     {{100, 300, 4},
      {190, 440, 6},
      {340, 320, 0},
      {450, 500, 2},
      {540, 260, 5},
      {620, 440, 7},
      {720, 330, 1},
      {130, 500, 3},
      {440, 230, 6},
      {690, 520, 0},
      {280, 420, 2},
      {570, 580, 4},
      {390, 460, 7},
      {20, 420, 1},
      {760, 210, 3}}},
    {"scene_showcase",
     {{90, 335, 1, 0}, {160, 350, 4, 0}, {470, 322, 6, 1}, {545, 344, 2, 1}, {300, 356, 5, 0}, {640, 328, 3, 1}},
     {380, 315, 2, 0},
     {470, 386, 5, 0},
     {600, 3},
     1,
     -1,
     2,
     3,
     {600, 2, 1},
     {150, 6},
     {560, 540, 2},
     {420, 2},
     {250, 4},
     2,
     5,
     3,
     16,
     2,
     {330, 3, 0},
     120,
     5,
     {{60, 250, 0},
      {150, 420, 2},
      {330, 300, 4},
      {500, 470, 3},
      {540, 190, 1},
      {640, 380, 3},
      {770, 280, 5},
      {90, 520, 7},
      {420, 160, 2},
      {700, 480, 4},
      {230, 380, 6},
      {590, 560, 0},
      {370, 440, 3},
      {30, 350, 5},
      {780, 120, 1}}},
};

int sheet_zoom(const Layout& s) {
  int w = s.width(), h = s.height();
  int z = 1;
  while (z < 6 && w * (z + 1) <= 1400 && h * (z + 1) <= 900) ++z;
  return z;
}

}  // namespace

void write_sheets(const std::string& dir, const Library& lib) {
  for (const auto& [file, entry] : lib) {
    std::string base = file.substr(0, file.size() - 4);
    write_png(dir + "/" + base + ".png", entry.second, sheet_zoom(entry.first));
  }
  for (const Moment& m : kMoments) {
    Composer c{lib};
    compose(c, m);
    write_png(dir + "/" + m.name + ".png", c.buf);
  }
}

}  // namespace mediagen
