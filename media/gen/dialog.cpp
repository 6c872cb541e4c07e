// The settings dialog's own pictures, and the colour-format reference.
// They are shown opaque on the dialog's grey, so their empty parts are that
// grey (212, 208, 200).
#include "font.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kDialogGrey = rgb(212, 208, 200);

Image opaque(const Layout& lay, const std::function<void(cairo_t*)>& draw) {
  Canvas c(lay.fw, lay.fh);
  set(c.cr(), kDialogGrey);
  cairo_paint(c.cr());
  draw(c.cr());
  return c.on_black();
}

}  // namespace

Image make_question(const Layout& lay) {
  return opaque(lay, [](cairo_t* cr) {
    // A round blue button lit from the top left, a white question mark.
    ellipse(cr, 8.5, 8.5, 8.0, 8.0);
    set(cr, rgb(20, 40, 110));
    cairo_fill(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(6.5, 5.5, 0.5, 8.5, 8.5, 8.0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.55, 0.72, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.6, 0.18, 0.40, 0.86);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.10, 0.22, 0.62);
    cairo_set_source(cr, p);
    ellipse(cr, 8.5, 8.5, 7.2, 7.2);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    set(cr, rgb(255, 255, 255));
    cairo_set_line_width(cr, 1.9);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_arc(cr, 8.5, 6.3, 2.6, kPi * 1.05, kPi * 2.35);
    cairo_line_to(cr, 8.5, 10.0);
    cairo_stroke(cr);
    cairo_rectangle(cr, 7.55, 11.4, 1.9, 1.9);
    cairo_fill(cr);
  });
}

Image make_speaker(const Layout& lay) {
  return opaque(lay, [](cairo_t* cr) {
    // Loudspeaker: magnet box, cone, and two sound waves.
    cairo_move_to(cr, 1.5, 6);
    cairo_line_to(cr, 4.5, 6);
    cairo_line_to(cr, 8.5, 2.5);
    cairo_line_to(cr, 8.5, 14.5);
    cairo_line_to(cr, 4.5, 11);
    cairo_line_to(cr, 1.5, 11);
    cairo_close_path(cr);
    set(cr, rgb(40, 40, 48));
    cairo_fill_preserve(cr);
    set(cr, rgb(10, 10, 14));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_move_to(cr, 5.0, 6.8);
    cairo_line_to(cr, 7.8, 4.4);
    set(cr, rgb(150, 150, 165));
    cairo_stroke(cr);
    set(cr, rgb(30, 70, 170));
    cairo_set_line_width(cr, 1.3);
    cairo_arc(cr, 8.5, 8.5, 3.5, -0.8, 0.8);
    cairo_stroke(cr);
    cairo_arc(cr, 8.5, 8.5, 6.3, -0.85, 0.85);
    cairo_stroke(cr);
  });
}

Image make_logo(const Layout& lay) {
  return opaque(lay, [&](cairo_t* cr) {
    // A night panel with the name in bone letters; the dialog shows the
    // top 57 rows, so everything that matters sits there.
    const double W = lay.fw, H = 56;
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, H);
    cairo_pattern_add_color_stop_rgb(sky, 0, look::kSkyTop.r, look::kSkyTop.g, look::kSkyTop.b);
    cairo_pattern_add_color_stop_rgb(sky, 1, look::kSkyLow.r, look::kSkyLow.g, look::kSkyLow.b);
    cairo_new_path(cr);
    cairo_move_to(cr, 6, 1);
    cairo_arc(cr, W - 7, 7, 6, -kPi / 2, 0);
    cairo_arc(cr, W - 7, H - 6, 6, 0, kPi / 2);
    cairo_arc(cr, 7, H - 6, 6, kPi / 2, kPi);
    cairo_arc(cr, 7, 7, 6, kPi, 1.5 * kPi);
    cairo_close_path(cr);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    set(cr, rgb(60, 56, 70));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // Moon and a hill of graves.
    cairo_pattern_t* glow = cairo_pattern_create_radial(176, 18, 5, 176, 18, 26);
    cairo_pattern_add_color_stop_rgba(glow, 0, 0.6, 0.65, 0.85, 0.45);
    cairo_pattern_add_color_stop_rgba(glow, 1, 0.6, 0.65, 0.85, 0.0);
    cairo_set_source(cr, glow);
    cairo_rectangle(cr, 140, 0, 60, 50);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    ellipse(cr, 176, 18, 10.5, 10.5);
    set(cr, look::kMoon);
    cairo_fill(cr);
    cairo_move_to(cr, 2, H);
    cairo_curve_to(cr, 50, 44, 140, 42, 199, 48);
    cairo_line_to(cr, 199, H);
    cairo_close_path(cr);
    set(cr, rgb(14, 18, 32));
    cairo_fill(cr);
    set(cr, rgb(14, 18, 32));
    for (double x : {160.0, 190.0}) {
      cairo_rectangle(cr, x - 1.2, 37, 2.4, 10);
      cairo_rectangle(cr, x - 4, 40, 8, 2.2);
      cairo_fill(cr);
    }
    // A bat crossing the moon.
    cairo_move_to(cr, 168, 15);
    cairo_curve_to(cr, 172, 11, 175, 13, 176, 16);
    cairo_curve_to(cr, 177, 13, 180, 11, 184, 15);
    cairo_curve_to(cr, 181, 15, 180, 17, 176, 18);
    cairo_curve_to(cr, 172, 17, 171, 15, 168, 15);
    set(cr, rgb(20, 16, 26));
    cairo_fill(cr);
    // The name: dark outline, bone fill, a green ghost-light underneath.
    const std::string name = "VEXMOOR";
    const double capH = 22, track = 0.24;
    double tw = text_width(name, capH, track);
    double x0 = 14, base = 33;
    for (int pass = 0; pass < 4; ++pass) {
      cairo_new_path(cr);
      text_path(cr, name, x0, base, capH, track);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
      if (pass == 0) {
        set(cr, look::kGhost, 0.25);
        cairo_set_line_width(cr, 9.5);
      } else if (pass == 1) {
        set(cr, rgb(8, 8, 14));
        cairo_set_line_width(cr, 6.4);
      } else if (pass == 2) {
        set(cr, look::kBone);
        cairo_set_line_width(cr, 3.8);
      } else {
        cairo_translate(cr, 0.8, -0.8);
        text_path(cr, name, x0, base, capH, track);
        set(cr, rgb(255, 255, 245));
        cairo_set_line_width(cr, 1.2);
        cairo_translate(cr, -0.8, 0.8);
      }
      cairo_stroke(cr);
    }
    // Dripping from the bottoms of a few letters.
    set(cr, look::kBlood);
    for (double dx : {0.1, 0.45, 0.82}) {
      double x = x0 + tw * dx;
      cairo_move_to(cr, x - 1.2, base + 1);
      cairo_line_to(cr, x + 1.2, base + 1);
      cairo_line_to(cr, x + 0.6, base + 6);
      cairo_arc(cr, x, base + 6.5, 1.2, 0, kPi);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    const std::string sub = "GRAVEYARD SCREEN SAVER";
    double sw = text_width(sub, 5.5, 0.3);
    cairo_new_path(cr);
    text_path(cr, sub, (W - sw) / 2, 51, 5.5, 0.3);
    set(cr, rgb(170, 180, 210));
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
  });
}

Image make_webaddress(const Layout& lay) {
  return opaque(lay, [&](cairo_t* cr) {
    // A made-up address in link blue, underlined.
    const std::string addr = "VEXMOOR.EXAMPLE";
    const double h = 8.0;
    double w = text_width(addr, h, 0.28);
    double x0 = (lay.fw - w) / 2;
    cairo_new_path(cr);
    text_path(cr, addr, x0, 11, h, 0.28);
    set(cr, rgb(0, 0, 170));
    cairo_set_line_width(cr, 1.25);
    cairo_stroke(cr);
    cairo_rectangle(cr, x0, 13, w, 1);
    cairo_fill(cr);
  });
}

Image make_palette(const Layout& lay) {
  // Sixteen rows of the night palette's ramps, so the file carries real
  // colours in the format every picture uses.
  Image img(lay.fw, lay.fh);
  const Col ramps[16][2] = {{look::kSkyTop, look::kSkyLow},        {look::kHillNear, look::kMist},
                            {look::kStoneDark, look::kStoneLit},   {look::kGrass, look::kGrassLit},
                            {look::kSoil, look::kSoilLit},         {look::kBoneDark, look::kBone},
                            {look::kBlood, look::kBloodLit},       {look::kWarm, look::kWarmHot},
                            {rgb(0, 40, 30), look::kGhost},        {look::kMoss, rgb(120, 150, 100)},
                            {rgb(30, 20, 40), rgb(200, 130, 210)}, {rgb(20, 20, 30), rgb(120, 126, 170)},
                            {rgb(40, 30, 20), rgb(230, 200, 140)}, {rgb(0, 0, 0), rgb(255, 255, 255)},
                            {rgb(60, 0, 0), rgb(255, 80, 40)},     {rgb(10, 20, 80), rgb(140, 180, 255)}};
  for (int y = 0; y < lay.fh; ++y)
    for (int x = 0; x < lay.fw; ++x) {
      Col c = mix(ramps[y][0], ramps[y][1], x / double(lay.fw - 1));
      img.at(x, y) = {std::uint8_t(std::lround(c.r * 255)), std::uint8_t(std::lround(c.g * 255)),
                      std::uint8_t(std::lround(c.b * 255))};
    }
  return img;
}

}  // namespace mediagen
