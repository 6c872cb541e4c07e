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

Image make_background_top(const Layout&);
Image make_background_mid1(const Layout&);
Image make_background_mid2(const Layout&);
Image make_background_mid3(const Layout&);
Image make_background_bot(const Layout&);
Image make_tombstone1(const Layout&);
Image make_tombstone2(const Layout&);
Image make_tombstone4(const Layout&);
Image make_bat(const Layout&);
Image make_bat_preview(const Layout&);
Image make_dove(const Layout&);
Image make_skeleton1(const Layout&);
Image make_skeleton2(const Layout&);
Image make_zombie(const Layout&);
Image make_watchman(const Layout&);
Image make_pumpkin(const Layout&);
Image make_scorpion(const Layout&);
Image make_rat1(const Layout&);
Image make_rat2(const Layout&);
Image make_firefly(const Layout&);
Image make_flower(const Layout&);
Image make_gravedigger(const Layout&);
Image make_hand(const Layout&);
Image make_owl(const Layout&);
Image make_owl_preview(const Layout&);
Image make_medallion(const Layout&);
Image make_crow1(const Layout&);
Image make_crow2(const Layout&);
Image make_blooddrip(const Layout&);
Image make_lightning1(const Layout&);
Image make_lightning2(const Layout&);
Image make_spider(const Layout&);
Image make_title(const Layout&);
Image make_palette(const Layout&);
Image make_question(const Layout&);
Image make_speaker(const Layout&);
Image make_logo(const Layout&);
Image make_webaddress(const Layout&);

struct Entry {
    Layout lay;
    Image (*make)(const Layout&);
};
const std::vector<Entry>& picture_table();

}  // namespace mediagen
