// Stand-ins for pictures not drawn yet.
#include "geom.hpp"
#include "parts.hpp"

namespace mediagen {

static Image blob(const PicSpec& s) {
    DrawFn d = [&](cairo_t* cr, int f, int st) {
        set(cr, rgb(120 + 10 * st, 100, 80));
        ellipse(cr, s.fw / 2.0 + f % 3, s.fh / 2.0, s.fw / 3.0, s.fh / 3.0);
        cairo_fill(cr);
    };
    if (s.kind == Kind::Glow || s.kind == Kind::GlowMasked) return build_glow(s, d);
    if (s.kind == Kind::Opaque) {
        Canvas c(s.width(), s.height());
        set(c.cr(), rgb(212, 208, 200));
        cairo_paint(c.cr());
        return c.on_black();
    }
    return build_masked(s, d);
}

Image make_tombstone1(const PicSpec& s) { return blob(s); }
Image make_tombstone2(const PicSpec& s) { return blob(s); }
Image make_tombstone4(const PicSpec& s) { return blob(s); }
Image make_bat(const PicSpec& s) { return blob(s); }
Image make_bat_preview(const PicSpec& s) { return blob(s); }
Image make_dove(const PicSpec& s) { return blob(s); }
Image make_skeleton1(const PicSpec& s) { return blob(s); }
Image make_skeleton2(const PicSpec& s) { return blob(s); }
Image make_zombie(const PicSpec& s) { return blob(s); }
Image make_watchman(const PicSpec& s) { return blob(s); }
Image make_pumpkin(const PicSpec& s) { return blob(s); }
Image make_scorpion(const PicSpec& s) { return blob(s); }
Image make_rat1(const PicSpec& s) { return blob(s); }
Image make_rat2(const PicSpec& s) { return blob(s); }
Image make_firefly(const PicSpec& s) { return blob(s); }
Image make_flower(const PicSpec& s) { return blob(s); }
Image make_gravedigger(const PicSpec& s) { return blob(s); }
Image make_medallion(const PicSpec& s) { return blob(s); }
Image make_crow1(const PicSpec& s) { return blob(s); }
Image make_crow2(const PicSpec& s) { return blob(s); }
Image make_blooddrip(const PicSpec& s) { return blob(s); }
Image make_spider(const PicSpec& s) { return blob(s); }
Image make_title(const PicSpec& s) { return blob(s); }
Image make_palette(const PicSpec& s) { return blob(s); }
Image make_question(const PicSpec& s) { return blob(s); }
Image make_speaker(const PicSpec& s) { return blob(s); }
Image make_logo(const PicSpec& s) { return blob(s); }
Image make_webaddress(const PicSpec& s) { return blob(s); }

}  // namespace mediagen
