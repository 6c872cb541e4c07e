// The preview buttons and the timer that animates both preview boxes.
#include <cmath>

#include "animation/background.h"
#include "animation/creature.h"
#include "animation/previews.h"
#include "animation/scheduled.h"
#include "base/convert.h"
#include "base/random.h"
#include "config/configuration.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex::configuration {
namespace {

// What a button does besides copying its creature into a preview record and
// giving the record a picture of its own.
enum class Extra { kNone, kOwl, kBat, kSpider, kLightning, kHand, kFireFly };

struct PreviewButton {
  std::string_view button;
  Creature& (*source)();
  int box;  // 1: PreviewCreature (tab "Creatures"), 2: PreviewCreature2 (tab "More Creatures")
  Extra extra;
};

Scene& sc() { return scene(); }
const PreviewButton kButtons[] = {
    {"Picture1", []() -> Creature& { return sc().GraveDigger; }, 1, Extra::kNone},
    {"Picture2", []() -> Creature& { return sc().Watchman; }, 1, Extra::kNone},
    {"Picture3", []() -> Creature& { return sc().Zombie; }, 1, Extra::kNone},
    {"Picture4", []() -> Creature& { return sc().Skeleton1; }, 1, Extra::kNone},
    {"Picture5", []() -> Creature& { return sc().Skeleton2; }, 1, Extra::kNone},
    {"Picture6", []() -> Creature& { return sc().Crow1; }, 1, Extra::kNone},
    {"Picture7", []() -> Creature& { return sc().Crow2; }, 1, Extra::kNone},
    {"Picture8", []() -> Creature& { return sc().Owl; }, 1, Extra::kOwl},
    {"Picture27", []() -> Creature& { return sc().Bat[1]; }, 1, Extra::kBat},
    {"Picture33", []() -> Creature& { return sc().Rat[1]; }, 1, Extra::kNone},
    {"Picture10", []() -> Creature& { return sc().Spider; }, 2, Extra::kSpider},
    {"Picture9", []() -> Creature& { return sc().Lightning[1]; }, 2, Extra::kLightning},
    {"Picture14", []() -> Creature& { return sc().Scorpion; }, 2, Extra::kNone},
    {"v", []() -> Creature& { return sc().BloodDrip; }, 2, Extra::kNone},
    {"Picture13", []() -> Creature& { return sc().Hand; }, 2, Extra::kHand},
    {"Picture18", []() -> Creature& { return sc().Medallion; }, 2, Extra::kNone},
    {"Picture12", []() -> Creature& { return sc().BouncingPumpkin; }, 2, Extra::kNone},
    {"Picture16", []() -> Creature& { return sc().FireFly[1]; }, 2, Extra::kFireFly},
    {"Picture11", []() -> Creature& { return sc().Flower; }, 2, Extra::kNone},
    {"Picture15", []() -> Creature& { return sc().Dove; }, 2, Extra::kNone},
};

Surface new_picture(const std::string& file) {
  Surface s = GenerateDC(settings().MediaDirectory + file);
  state().preview_surfaces.insert(s);
  return s;
}

// A picture the previews made and nothing shows any more is given back, so
// that clicking through the previews for an hour does not grow the process.
void release_unshown_pictures() {
  const Previews& p = previews();
  const Scene& s = scene();
  const std::set<Surface> shown = {p.PreviewCreature.Picture, p.PreviewCreature2.Picture, s.Spider.Picture,
                                   s.FireFly[1].Picture};
  std::set<Surface>& made = state().preview_surfaces;
  for (auto it = made.begin(); it != made.end();) {
    if (shown.count(*it)) {
      ++it;
      continue;
    }
    Surface gone = *it;
    RemoveDC(gone);
    it = made.erase(it);
  }
}

// Fireflies 1..8 anywhere in the second box at least 5 pixels clear of its
// right and bottom edges; 5..8 turn round.
void scatter_fireflies() {
  const Previews& p = previews();
  Scene& s = scene();
  for (int i = 1; i <= 8; ++i) {
    Creature& f = s.FireFly[i];
    reseed_from_clock();
    f.X = check32(static_cast<long long>(std::floor((p.ScaleWidth2 - f.Width - 5 + 1) * rnd())));
    reseed_from_clock();
    f.Y = check32(static_cast<long long>(std::floor((p.ScaleHeight2 - f.Height - 5 + 1) * rnd())));
    if (i > 4) f.SpeedX = -f.SpeedX;
  }
}

void advance(I16& counter, int wrap) {
  counter += 1;
  if (counter >= wrap) counter = 0;
}

// Composes one box: the record centred, the buffer cleared over the box,
// the creature's frame drawn, the box's area copied out.
void compose_box(Creature& c, float sw, float sh, Bitmap& box, void (*draw)(Creature&)) {
  c.X = round_to_i32(sw / 2.0 - c.Width / 2.0);
  c.Y = round_to_i32(sh / 2.0 - c.Height / 2.0);
  Surface fb = surfaces().FrameBuffer;
  const int w = round_to_i32(sw), h = round_to_i32(sh);
  BitBlt(fb, 0, 0, w, h, 0, 0, 0, Rop::kBlackness);
  draw(c);
  // Only the box's own area: the buffer is the size of the screen, and the
  // box clips everything else away anyway.
  fill_rect(box.view(), 0, 0, box.width(), box.height(), 0);
  bit_blt(box.view(), 0, 0, std::min(w, box.width()), std::min(h, box.height()), surface_view(fb), 0, 0,
          Rop::kSrcCopy);
}

void first_box_routine(Creature& c) {
  // The crow shows its own saver routine, on the preview's record.
  if (c.FileName == "v_crow1.bmp") Anim_Crow1(c);
  else if (c.FileName == "v_owl_preview.bmp") Anim_Preview_Owl();
  else if (c.FileName == "v_bat_preview.bmp") Anim_Preview_Multiple(c);
  else Anim_Still_Loop(c);
}

void second_box_routine(Creature& c) {
  if (c.FileName == "v_hand.bmp") Anim_Preview_Hand();
  else if (c.FileName == "v_lightning1.bmp") Anim_Preview_Lightning();
  else if (c.FileName == "v_firefly.bmp") Anim_Preview_FireFly();
  else if (c.FileName == "v_spider.bmp") Anim_Preview_Spider();
  else Anim_Still_Loop(c);
}

}  // namespace

void preview_button_click(std::string_view name) {
  const PreviewButton* b = nullptr;
  for (const PreviewButton& candidate : kButtons)
    if (candidate.button == name) b = &candidate;
  if (!b) return;
  Previews& p = previews();
  Scene& s = scene();
  FrameCounters& fc = counters();
  Creature& preview = b->box == 1 ? p.PreviewCreature : p.PreviewCreature2;
  preview = b->source();
  if (b->extra == Extra::kOwl) preview.FileName = "v_owl_preview.bmp";
  if (b->extra == Extra::kBat) preview.FileName = "v_bat_preview.bmp";
  if (b->extra == Extra::kFireFly) s.FireFly[1].Picture = new_picture(s.FireFly[1].FileName);
  else preview.Picture = new_picture(preview.FileName);
  switch (b->extra) {
    case Extra::kOwl:
      preview.Width = 82;
      preview.Height = 81;
      preview.FrameCount = 4;
      fc.FrameCounter40 = 0;
      break;
    case Extra::kBat:
      preview.Width = 36;
      preview.Height = 32;
      preview.FrameCount = 8;
      break;
    case Extra::kSpider:
      s.Spider.Picture = new_picture(s.Spider.FileName);
      s.Spider.Y = -static_cast<int>(s.Spider.Height);
      s.Spider.X = round_to_i32(p.ScaleWidth2 / 2.0 - preview.Width / 2.0);
      fc.FrameCounter100 = 0;
      break;
    case Extra::kLightning: fc.FrameCounter40 = 0; break;
    case Extra::kHand: fc.FrameCounter100 = 0; break;
    case Extra::kFireFly: scatter_fireflies(); break;
    case Extra::kNone: break;
  }
  release_unshown_pictures();
}

void Picture1_Click() { preview_button_click("Picture1"); }
void Picture2_Click() { preview_button_click("Picture2"); }
void Picture3_Click() { preview_button_click("Picture3"); }
void Picture4_Click() { preview_button_click("Picture4"); }
void Picture5_Click() { preview_button_click("Picture5"); }
void Picture6_Click() { preview_button_click("Picture6"); }
void Picture7_Click() { preview_button_click("Picture7"); }
void Picture8_Click() { preview_button_click("Picture8"); }
void Picture9_Click() { preview_button_click("Picture9"); }
void Picture10_Click() { preview_button_click("Picture10"); }
void Picture11_Click() { preview_button_click("Picture11"); }
void Picture12_Click() { preview_button_click("Picture12"); }
void Picture13_Click() { preview_button_click("Picture13"); }
void Picture14_Click() { preview_button_click("Picture14"); }
void Picture15_Click() { preview_button_click("Picture15"); }
void Picture16_Click() { preview_button_click("Picture16"); }
void Picture18_Click() { preview_button_click("Picture18"); }
void Picture27_Click() { preview_button_click("Picture27"); }
void Picture33_Click() { preview_button_click("Picture33"); }
void v_Click() { preview_button_click("v"); }

void Timer1_Timer() {
  trap("Configuration/Timer1", [] {
    FrameCounters& fc = counters();
    advance(fc.FrameCounter40, 40);
    advance(fc.FrameCounter100, 100);
    advance(fc.FrameCounter1000, 1000);
    ConfigurationState& st = state();
    Previews& p = previews();
    compose_box(p.PreviewCreature, p.ScaleWidth1, p.ScaleHeight1, st.PreviewPicture, first_box_routine);
    if (st.view) st.view->show_preview(1, st.PreviewPicture.view());
    compose_box(p.PreviewCreature2, p.ScaleWidth2, p.ScaleHeight2, st.PreviewPicture2, second_box_routine);
    if (st.view) st.view->show_preview(2, st.PreviewPicture2.view());
  });
}

}  // namespace vex::configuration
