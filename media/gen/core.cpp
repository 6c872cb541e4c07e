#include "core.hpp"

#include <cstdio>
#include <fstream>

namespace mediagen {

Image Image::crop(int x0, int y0, int cw, int ch) const {
  Image out(cw, ch);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x)
      if (inside(x0 + x, y0 + y)) out.at(x, y) = at(x0 + x, y0 + y);
  return out;
}

void Image::paste(const Image& src, int x0, int y0) {
  for (int y = 0; y < src.h; ++y)
    for (int x = 0; x < src.w; ++x)
      if (inside(x0 + x, y0 + y)) at(x0 + x, y0 + y) = src.at(x, y);
}

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
  surf_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cr_ = cairo_create(surf_);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surf_);
}

void Canvas::pixel(int x, int y, double& r, double& g, double& b, double& a) const {
  cairo_surface_flush(surf_);
  const unsigned char* data = cairo_image_surface_get_data(surf_);
  int stride = cairo_image_surface_get_stride(surf_);
  std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride + std::size_t(x) * 4);
  a = ((v >> 24) & 255) / 255.0;
  r = ((v >> 16) & 255) / 255.0;
  g = ((v >> 8) & 255) / 255.0;
  b = (v & 255) / 255.0;
}

Image Canvas::over(const Image& backdrop) const {
  cairo_surface_flush(surf_);
  const unsigned char* data = cairo_image_surface_get_data(surf_);
  int stride = cairo_image_surface_get_stride(surf_);
  Image out(w_, h_);
  for (int y = 0; y < h_; ++y) {
    const std::uint32_t* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < w_; ++x) {
      std::uint32_t v = row[x];
      int a = (v >> 24) & 255;
      const Rgb8& bg = backdrop.at(x, y);
      out.at(x, y) = {std::uint8_t(((v >> 16) & 255) + (bg.r * (255 - a) + 127) / 255),
                      std::uint8_t(((v >> 8) & 255) + (bg.g * (255 - a) + 127) / 255),
                      std::uint8_t((v & 255) + (bg.b * (255 - a) + 127) / 255)};
    }
  }
  return out;
}

Image Canvas::on_black() const { return over(Image(w_, h_)); }

void Canvas::fill_from(const Image& img) {
  cairo_surface_flush(surf_);
  unsigned char* data = cairo_image_surface_get_data(surf_);
  int stride = cairo_image_surface_get_stride(surf_);
  for (int y = 0; y < h_ && y < img.h; ++y) {
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < w_ && x < img.w; ++x) {
      const Rgb8& p = img.at(x, y);
      row[x] = 0xFF000000u | (std::uint32_t(p.r) << 16) | (std::uint32_t(p.g) << 8) | p.b;
    }
  }
  cairo_surface_mark_dirty(surf_);
}

void Canvas::modulate(const std::function<double(int, int)>& k) {
  cairo_surface_flush(surf_);
  unsigned char* data = cairo_image_surface_get_data(surf_);
  int stride = cairo_image_surface_get_stride(surf_);
  for (int y = 0; y < h_; ++y) {
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < w_; ++x) {
      std::uint32_t v = row[x];
      std::uint32_t a = v >> 24;
      if (!a) continue;
      double m = k(x, y);
      auto ch = [&](int shift) {
        double c = ((v >> shift) & 255) * m;
        return std::uint32_t(std::clamp(std::lround(c), 0L, long(a)));
      };
      row[x] = (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
    }
  }
  cairo_surface_mark_dirty(surf_);
}

double hash01(int x, int y, int seed) {
  std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0x1000000);
}

double value_noise(double x, double y, int seed) {
  int xi = int(std::floor(x)), yi = int(std::floor(y));
  double fx = x - xi, fy = y - yi;
  double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  double a = hash01(xi, yi, seed), b = hash01(xi + 1, yi, seed);
  double c = hash01(xi, yi + 1, seed), d = hash01(xi + 1, yi + 1, seed);
  return lerp(lerp(a, b, sx), lerp(c, d, sx), sy);
}

double fbm(double x, double y, int seed, int octaves) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * value_noise(x, y, seed + i * 101);
    norm += amp;
    x = x * 2.03 + 17.1;
    y = y * 2.03 + 5.7;
    amp *= 0.5;
  }
  return sum / norm;
}

static void put16(std::vector<unsigned char>& v, std::uint16_t x) {
  v.push_back(x & 255);
  v.push_back(x >> 8);
}
static void put32(std::vector<unsigned char>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 255);
}

bool write_bmp(const std::string& path, const Image& img) {
  const std::uint32_t rowBytes = (std::uint32_t(img.w) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = rowBytes * std::uint32_t(img.h);
  std::vector<unsigned char> f;
  f.reserve(54 + dataSize);
  f.push_back('B');
  f.push_back('M');
  put32(f, 54 + dataSize);
  put32(f, 0);
  put32(f, 54);
  put32(f, 40);
  put32(f, std::uint32_t(img.w));
  put32(f, std::uint32_t(img.h));  // positive height: bottom-up rows
  put16(f, 1);
  put16(f, 24);
  put32(f, 0);  // BI_RGB
  put32(f, dataSize);
  put32(f, 2835);  // 72 dpi
  put32(f, 2835);
  put32(f, 0);
  put32(f, 0);
  for (int y = img.h - 1; y >= 0; --y) {
    std::uint32_t n = 0;
    for (int x = 0; x < img.w; ++x, n += 3) {
      const Rgb8& p = img.at(x, y);
      f.push_back(p.b);
      f.push_back(p.g);
      f.push_back(p.r);
    }
    for (; n < rowBytes; ++n) f.push_back(0);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
  return bool(out);
}

bool write_png(const std::string& path, const Image& img, int zoom) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.w * zoom, img.h * zoom);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < img.h * zoom; ++y) {
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < img.w * zoom; ++x) {
      const Rgb8& p = img.at(x / zoom, y / zoom);
      row[x] = (std::uint32_t(p.r) << 16) | (std::uint32_t(p.g) << 8) | p.b;
    }
  }
  cairo_surface_mark_dirty(s);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

void ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, kTau);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void capsule(cairo_t* cr, double x0, double y0, double r0, double x1, double y1, double r1) {
  double dx = x1 - x0, dy = y1 - y0;
  double len = std::hypot(dx, dy);
  if (len < 1e-6) {
    ellipse(cr, x0, y0, std::max(r0, r1), std::max(r0, r1));
    return;
  }
  double ang = std::atan2(dy, dx);
  // Outer tangents of the two end circles.
  double s = (r0 - r1) / len;
  if (s > 0.99) s = 0.99;
  if (s < -0.99) s = -0.99;
  double phi = std::acos(s);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x0, y0, r0, ang + phi, ang - phi + kTau);
  cairo_arc(cr, x1, y1, r1, ang - phi, ang + phi);
  cairo_close_path(cr);
}

void polyline(cairo_t* cr, const std::vector<std::pair<double, double>>& pts) {
  if (pts.empty()) return;
  cairo_move_to(cr, pts[0].first, pts[0].second);
  for (std::size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].first, pts[i].second);
}

void rimlit(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit, double dx, double dy,
            double alpha) {
  cairo_save(cr);
  cairo_new_path(cr);
  shape(cr);
  set(cr, lit, alpha);
  cairo_fill_preserve(cr);
  cairo_clip(cr);
  cairo_new_path(cr);
  cairo_translate(cr, dx, dy);
  shape(cr);
  set(cr, base, alpha);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace mediagen
