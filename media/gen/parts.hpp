// One maker per picture; each returns the whole picture in the layout of its
// table entry.
#pragma once

#include "sprite.hpp"

namespace mediagen {

// The five scene layers come from one render so that they join seamlessly.
struct SceneLayers {
    Image top, mid1, mid2, mid3, bot;
};
const SceneLayers& scene_layers();

Image make_background_top(const PicSpec&);
Image make_background_mid1(const PicSpec&);
Image make_background_mid2(const PicSpec&);
Image make_background_mid3(const PicSpec&);
Image make_background_bot(const PicSpec&);
Image make_tombstone1(const PicSpec&);
Image make_tombstone2(const PicSpec&);
Image make_tombstone4(const PicSpec&);
Image make_bat(const PicSpec&);
Image make_bat_preview(const PicSpec&);
Image make_dove(const PicSpec&);
Image make_skeleton1(const PicSpec&);
Image make_skeleton2(const PicSpec&);
Image make_zombie(const PicSpec&);
Image make_watchman(const PicSpec&);
Image make_pumpkin(const PicSpec&);
Image make_scorpion(const PicSpec&);
Image make_rat1(const PicSpec&);
Image make_rat2(const PicSpec&);
Image make_firefly(const PicSpec&);
Image make_flower(const PicSpec&);
Image make_gravedigger(const PicSpec&);
Image make_hand(const PicSpec&);
Image make_owl(const PicSpec&);
Image make_owl_preview(const PicSpec&);
Image make_medallion(const PicSpec&);
Image make_crow1(const PicSpec&);
Image make_crow2(const PicSpec&);
Image make_blooddrip(const PicSpec&);
Image make_lightning1(const PicSpec&);
Image make_lightning2(const PicSpec&);
Image make_spider(const PicSpec&);
Image make_title(const PicSpec&);
Image make_palette(const PicSpec&);
Image make_question(const PicSpec&);
Image make_speaker(const PicSpec&);
Image make_logo(const PicSpec&);
Image make_webaddress(const PicSpec&);

struct Entry {
    PicSpec spec;
    Image (*make)(const PicSpec&);
};
const std::vector<Entry>& picture_table();

}  // namespace mediagen
