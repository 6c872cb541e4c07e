// The preview buttons and the timer that animates both preview boxes.
#include "animation/background.h"
#include "animation/creature.h"
#include "animation/creatures.h"
#include "animation/previews.h"
#include "base/convert.h"
#include "config/configuration.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/settings.h"

namespace vex::configuration {
namespace {

Surface new_picture(const std::string& file) {
  Surface s = load_surface(settings().MediaDirectory + file);
  state().preview_surfaces.insert(s);
  return s;
}

// A picture the previews made and nothing shows any more is given back, so
// that clicking through the previews for an hour does not grow the process.
void release_unshown_pictures() {
  const Previews& p = previews();
  Scene& s = scene();
  // Some previews draw the scene's own records, given pictures of their own.
  std::set<Surface> shown = {p.PreviewCreature.Picture, p.PreviewCreature2.Picture};
  for (const CreatureRow& row : creature_table())
    for (const PictureSpec& picture : row.pictures)
      if (picture.record) shown.insert(picture.record(s).Picture);
  std::set<Surface>& made = state().preview_surfaces;
  for (auto it = made.begin(); it != made.end();) {
    if (shown.count(*it)) {
      ++it;
      continue;
    }
    Surface gone = *it;
    release_surface(gone);
    it = made.erase(it);
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
  bit_blt(box.view(), 0, 0, std::min(w, box.width()), std::min(h, box.height()), surface_view(fb), 0, 0, Rop::kSrcCopy);
}

const CreatureRow* row_of_button(std::string_view button) {
  for (const CreatureRow& row : creature_table())
    if (row.dialog.tab >= 0 && row.dialog.button == button) return &row;
  return nullptr;
}

}  // namespace

void preview_clicked(const CreatureRow& row) {
  Previews& p = previews();
  ConfigurationState& st = state();
  const int box = row.dialog.tab;  // the box on the creature's own tab
  Creature& preview = box == 0 ? p.PreviewCreature : p.PreviewCreature2;
  preview = row.record(scene());
  if (row.preview.strip) preview.FileName = row.preview.strip;
  if (row.preview.own_picture) preview.Picture = new_picture(preview.FileName);
  if (row.preview.prepare) row.preview.prepare(preview, new_picture);
  st.box_routine[box] = row.preview.draw;
  release_unshown_pictures();
}

void preview_button_click(std::string_view button) {
  if (const CreatureRow* row = row_of_button(button)) preview_clicked(*row);
}

void preview_tick() {
  trap("Configuration/Timer1", [] {
    FrameCounters& fc = counters();
    advance(fc.TickTo40, 40);
    advance(fc.TickTo100, 100);
    advance(fc.TickTo1000, 1000);
    ConfigurationState& st = state();
    Previews& p = previews();
    auto routine = [&](int box) { return st.box_routine[box] ? st.box_routine[box] : Anim_Still_Loop; };
    compose_box(p.PreviewCreature, p.ScaleWidth1, p.ScaleHeight1, st.PreviewPicture, routine(0));
    if (st.view) st.view->show_preview(1, st.PreviewPicture.view());
    compose_box(p.PreviewCreature2, p.ScaleWidth2, p.ScaleHeight2, st.PreviewPicture2, routine(1));
    if (st.view) st.view->show_preview(2, st.PreviewPicture2.view());
  });
}

}  // namespace vex::configuration
