// Shared building blocks of the picture generator: an 8-bit RGB image, the
// cairo canvas every part draws on, colours, a seeded generator and noise.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mediagen {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

struct Image {
    int w = 0, h = 0;
    std::vector<Rgb8> px;

    Image() = default;
    Image(int width, int height, Rgb8 fill = {}) : w(width), h(height), px(std::size_t(width) * height, fill) {}
    Rgb8& at(int x, int y) { return px[std::size_t(y) * w + x]; }
    const Rgb8& at(int x, int y) const { return px[std::size_t(y) * w + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Image crop(int x0, int y0, int cw, int ch) const;
    void paste(const Image& src, int x0, int y0);
};

struct Pt {
    double x, y;
};

// Floating colour in 0..1; the drawing code thinks in these.
struct Col {
    double r = 0, g = 0, b = 0;
};
inline Col rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
inline Col mix(Col a, Col b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Col scale(Col a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline void set(cairo_t* cr, Col c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }
inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double smoothstep(double a, double b, double x) {
    double t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}
inline double lerp(double a, double b, double t) { return a + (b - a) * t; }
constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2 * kPi;

// A cairo ARGB32 surface with its context; owns both.
class Canvas {
public:
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surf_; }
    int w() const { return w_; }
    int h() const { return h_; }
    // Premultiplied channels 0..1 of one pixel.
    void pixel(int x, int y, double& r, double& g, double& b, double& a) const;
    // The drawing composited over an opaque backdrop image of the same size.
    Image over(const Image& backdrop) const;
    // The drawing composited over black (what an OR-drawn glow adds).
    Image on_black() const;
    void fill_from(const Image& img);
    // Multiplies the colour of every drawn pixel by k(x, y) (grain, weathering).
    void modulate(const std::function<double(int, int)>& k);

private:
    int w_, h_;
    cairo_surface_t* surf_;
    cairo_t* cr_;
};

// Deterministic generator (splitmix64); every part seeds its own.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uni() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double a, double b) { return a + (b - a) * uni(); }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t s_;
};

double hash01(int x, int y, int seed);
double value_noise(double x, double y, int seed);
double fbm(double x, double y, int seed, int octaves = 4);

// Writes a 24-bit bottom-up BMP (BITMAPINFOHEADER, rows padded to 4 bytes).
bool write_bmp(const std::string& path, const Image& img);
// Magnified PNG for looking at (contact sheets, composed scenes).
bool write_png(const std::string& path, const Image& img, int zoom = 1);

// Path helpers used by most creatures.
void ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
// A limb segment as a tapered capsule from (x0,y0) radius r0 to (x1,y1) radius r1.
void capsule(cairo_t* cr, double x0, double y0, double r0, double x1, double y1, double r1);
void polyline(cairo_t* cr, const std::vector<std::pair<double, double>>& pts);

// Fills whatever path `shape` builds with `lit`, then lays `base` over it
// shifted away from the moon, so a thin moonlit rim is left on the side that
// faces the light (upper right in the scene).
void rimlit(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit, double dx = -1.2,
            double dy = 1.0, double alpha = 1.0);

}  // namespace mediagen
