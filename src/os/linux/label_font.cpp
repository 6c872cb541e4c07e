#include "os/label_font.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <map>
#include <string>

namespace vex {
namespace {

std::string find_font_file(const char* pattern) {
  std::string file;
  if (!FcInit()) return file;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  if (!pat) return file;
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return file;
}

TTF_Font* label_font() {
  static bool tried = false;
  static TTF_Font* font = nullptr;
  if (tried) return font;
  tried = true;
  if (!TTF_WasInit() && TTF_Init() != 0) {
    std::fprintf(stderr, "vexmoor: no text rendering (%s); labels stay empty\n", TTF_GetError());
    return nullptr;
  }
  std::string file = find_font_file("Arial:bold");
  if (!file.empty()) font = TTF_OpenFontDPI(file.c_str(), 12, 96, 96);
  if (!font) std::fprintf(stderr, "vexmoor: no font for labels (%s); labels stay empty\n", file.c_str());
  return font;
}

// Rendered text by content; the clock changes once a minute and the message
// never, so rendering each tick would be wasted work.
struct Rendered {
  SDL_Surface* surface = nullptr;
  Pixel fg = 0, bg = 0;
};
std::map<std::string, Rendered>& cache() {
  static std::map<std::string, Rendered> c;
  return c;
}

SDL_Surface* render(const std::string& text, Pixel fg, Pixel bg) {
  TTF_Font* font = label_font();
  if (!font || text.empty()) return nullptr;
  auto it = cache().find(text);
  if (it != cache().end() && it->second.fg == fg && it->second.bg == bg) return it->second.surface;
  if (cache().size() > 8) {
    for (auto& [k, r] : cache()) SDL_FreeSurface(r.surface);
    cache().clear();
  }
  SDL_Color f{static_cast<Uint8>(fg >> 16), static_cast<Uint8>(fg >> 8), static_cast<Uint8>(fg), 255};
  SDL_Color b{static_cast<Uint8>(bg >> 16), static_cast<Uint8>(bg >> 8), static_cast<Uint8>(bg), 255};
  SDL_Surface* shaded = TTF_RenderUTF8_Shaded(font, text.c_str(), f, b);
  if (!shaded) return nullptr;
  SDL_Surface* conv = SDL_ConvertSurfaceFormat(shaded, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(shaded);
  if (!conv) return nullptr;
  if (it != cache().end()) SDL_FreeSurface(it->second.surface);
  cache()[text] = {conv, fg, bg};
  return conv;
}

}  // namespace

void draw_text_label(const PixelView& target, int left, int top, int width, int height, const std::string& text,
                     LabelAlign align, Pixel fg, Pixel bg) {
  fill_rect(target, left, top, width, height, bg);
  SDL_Surface* s = render(text, fg, bg);
  if (!s) return;
  PixelView src{static_cast<Pixel*>(s->pixels), s->w, s->h, s->pitch / 4};
  int x = align == LabelAlign::kCentre ? left + (width - s->w) / 2 : left;
  int y = top + (height - s->h) / 2;
  // Clip to the label first: a message wider than the screen is cut there.
  int sx = 0, sy = 0, w = s->w, h = s->h;
  if (x < left) { sx = left - x; w -= sx; x = left; }
  if (x + w > left + width) w = left + width - x;
  if (y < top) { sy = top - y; h -= sy; y = top; }
  if (y + h > top + height) h = top + height - y;
  bit_blt(target, x, y, w, h, src, sx, sy, Rop::kSrcCopy);
}

}  // namespace vex
