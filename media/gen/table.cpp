#include "parts.hpp"

namespace mediagen {

const std::vector<Entry>& picture_table() {
  using K = Kind;
  static const std::vector<Entry> table = {
      {{"v_background_top.bmp", 800, 315, 1, 1, K::Opaque}, make_background_top},
      {{"v_background_mid1.bmp", 800, 132, 1, 1, K::Opaque}, make_background_mid1},
      {{"v_background_mid2.bmp", 800, 132, 1, 1, K::Opaque}, make_background_mid2},
      {{"v_background_mid3.bmp", 800, 132, 1, 1, K::Opaque}, make_background_mid3},
      {{"v_background_bot.bmp", 800, 153, 1, 1, K::Opaque}, make_background_bot},
      {{"v_tombstone1.bmp", 134, 199, 1, 1, K::Masked}, make_tombstone1},
      {{"v_tombstone2.bmp", 77, 125, 1, 1, K::Masked}, make_tombstone2},
      {{"v_tombstone4.bmp", 102, 184, 1, 1, K::Masked}, make_tombstone4},
      {{"v_bat.bmp", 26, 23, 8, 2, K::Masked}, make_bat},
      {{"v_dove.bmp", 27, 46, 8, 2, K::Masked}, make_dove},
      {{"v_skeleton1.bmp", 151, 200, 12, 1, K::Masked}, make_skeleton1},
      {{"v_skeleton2.bmp", 45, 64, 12, 2, K::Masked}, make_skeleton2},
      {{"v_zombie.bmp", 39, 66, 10, 1, K::Masked}, make_zombie},
      {{"v_watchman.bmp", 87, 157, 14, 1, K::Glow}, make_watchman},
      {{"v_bouncingpumpkin.bmp", 46, 137, 8, 1, K::Masked}, make_pumpkin},
      {{"v_scorpion.bmp", 38, 33, 5, 1, K::Masked}, make_scorpion},
      {{"v_rat1.bmp", 65, 43, 5, 2, K::Masked}, make_rat1},
      {{"v_rat2.bmp", 45, 30, 5, 2, K::Masked}, make_rat2},
      {{"v_firefly.bmp", 20, 19, 8, 1, K::GlowMasked}, make_firefly},
      {{"v_flower.bmp", 50, 50, 8, 1, K::Masked}, make_flower},
      {{"v_gravedigger.bmp", 59, 74, 16, 1, K::Masked}, make_gravedigger},
      {{"v_hand.bmp", 61, 98, 17, 1, K::Masked}, make_hand},
      {{"v_owl.bmp", 32, 48, 6, 1, K::Opaque}, make_owl},
      {{"v_medallion.bmp", 65, 38, 3, 1, K::Masked}, make_medallion},
      {{"v_crow1.bmp", 83, 64, 6, 1, K::Masked}, make_crow1},
      {{"v_Crow2.bmp", 84, 59, 7, 1, K::Masked}, make_crow2},
      {{"v_blooddrip.bmp", 51, 113, 14, 1, K::Masked}, make_blooddrip},
      {{"v_lightning1.bmp", 171, 182, 4, 1, K::Masked}, make_lightning1},
      {{"v_lightning2.bmp", 171, 182, 2, 1, K::Masked}, make_lightning2},
      {{"v_spider.bmp", 79, 93, 1, 1, K::Masked}, make_spider},
      {{"v_owl_preview.bmp", 82, 81, 4, 1, K::Masked}, make_owl_preview},
      {{"v_bat_preview.bmp", 36, 32, 8, 1, K::Masked}, make_bat_preview},
      {{"v_preview.bmp", 127, 100, 21, 1, K::Masked}, make_title},
      {{"v_palette.bmp", 16, 16, 1, 1, K::Opaque}, make_palette},
      {{"v_question.bmp", 17, 17, 1, 1, K::Opaque}, make_question},
      {{"v_speaker.bmp", 17, 17, 1, 1, K::Opaque}, make_speaker},
      {{"v_logo.bmp", 201, 66, 1, 1, K::Opaque}, make_logo},
      {{"v_webaddress.bmp", 144, 16, 1, 1, K::Opaque}, make_webaddress},
  };
  return table;
}

}  // namespace mediagen
