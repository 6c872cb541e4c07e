// The labels' text on SDL2_ttf. The label font is what fontconfig gives for
// "Arial:bold" (Liberation Sans Bold on Debian); a character it lacks is
// drawn with the face fontconfig finds for it (DejaVu, Noto). FriBidi
// resolves the directions, and each run of one direction, one script and one
// face is shaped by HarfBuzz inside SDL2_ttf, which shapes a whole string
// with one font, one direction and one script.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <fribidi.h>
#include <hb.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/label_font.h"
#include "os/linux/label_layout.h"

namespace vex {
namespace {

constexpr int kPoints = 12;
constexpr int kDpi = 96;
// What one message can cost, whatever it holds: the faces kept open for the
// process, and the fontconfig searches made for one line (each takes a few
// milliseconds; a line of ten thousand rare characters must not take seconds).
constexpr std::size_t kMaxFaces = 16;
constexpr int kMaxSearchesPerLine = 24;
// No label shows more characters than this a pixel of its width; the rest of
// a long text is never looked at (marks and joiners take no width, so a few).
constexpr std::size_t kCharsPerPixel = 4;

struct Face {
  std::string file;
  int index = 0;
  TTF_Font* font = nullptr;
};

struct Fonts {
  bool tried = false;
  std::vector<Face> faces;              // [0] is the label font
  std::map<std::string, int> searched;  // a search's key → the face it found, -1 for none
  bool told_missing = false;
};

// Kept for the life of the process, never destroyed: the faces stay open
// until the end, when nothing is drawn any more.
Fonts& fonts() {
  static Fonts* f = new Fonts;
  return *f;
}

int open_face(const std::string& file, int index) {
  Fonts& fs = fonts();
  for (std::size_t i = 0; i < fs.faces.size(); ++i)
    if (fs.faces[i].file == file && fs.faces[i].index == index) return static_cast<int>(i);
  if (fs.faces.size() >= kMaxFaces) return -1;
  TTF_Font* font = TTF_OpenFontIndexDPI(file.c_str(), kPoints, index, kDpi, kDpi);
  if (!font) return -1;
  fs.faces.push_back({file, index, font});
  return static_cast<int>(fs.faces.size() - 1);
}

// The face fontconfig ranks first for the label font's description with
// these characters (coverage outranks the family in its ranking) and, for
// the scripts whose letters differ by language, the language.
int search_face(const std::vector<char32_t>& chars, const char* lang) {
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("Arial:bold"));
  if (!pat) return -1;
  if (!chars.empty()) {
    FcCharSet* cs = FcCharSetCreate();
    for (char32_t c : chars) FcCharSetAddChar(cs, c);
    FcPatternAddCharSet(pat, FC_CHARSET, cs);
    FcCharSetDestroy(cs);
  }
  if (lang) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return -1;
  int face = -1;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    // fontconfig always answers; a face without any of the characters is no help.
    FcCharSet* has = nullptr;
    bool any = chars.empty();
    if (!any && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch)
      for (char32_t c : chars) any = any || FcCharSetHasChar(has, c);
    if (any) face = open_face(reinterpret_cast<const char*>(file), index);
  }
  FcPatternDestroy(match);
  return face;
}

bool init_fonts() {
  Fonts& fs = fonts();
  if (fs.tried) return !fs.faces.empty();
  fs.tried = true;
  if (!TTF_WasInit() && TTF_Init() != 0) {
    std::fprintf(stderr, "vexmoor: no text rendering (%s); labels stay empty\n", TTF_GetError());
    return false;
  }
  if (!FcInit() || search_face({}, nullptr) != 0) {
    std::fprintf(stderr, "vexmoor: no font for labels; labels stay empty\n");
    return false;
  }
  return true;
}

bool has_glyph(int face, char32_t c) { return TTF_GlyphIsProvided32(fonts().faces[face].font, c) != 0; }

hb_unicode_funcs_t* unicode() { return hb_unicode_funcs_get_default(); }

bool is_format(char32_t c) { return hb_unicode_general_category(unicode(), c) == HB_UNICODE_GENERAL_CATEGORY_FORMAT; }

// Marks, joiners and the like belong to the character before them.
bool follows(char32_t c) {
  switch (hb_unicode_general_category(unicode(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT: return true;
    default: return (c >= 0x1F3FB && c <= 0x1F3FF);  // skin tones
  }
}

bool is_real_script(hb_script_t s) {
  return s != HB_SCRIPT_COMMON && s != HB_SCRIPT_INHERITED && s != HB_SCRIPT_UNKNOWN;
}

// UTF-8 to code points, at most limit of them; what is not UTF-8 becomes
// U+FFFD, controls become blanks (one line, and no boxes for tabs).
std::u32string decode(const std::string& s, std::size_t limit) {
  std::u32string out;
  std::size_t i = 0;
  while (i < s.size() && out.size() < limit) {
    const auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = 0xFFFD;
    if (len == 1) {
      c = b;
    } else if (len > 1 && i + len <= s.size()) {
      char32_t v = b & (0x7F >> len);
      bool ok = true;
      for (int k = 1; k < len && ok; ++k) {
        const auto cb = static_cast<unsigned char>(s[i + k]);
        ok = (cb & 0xC0) == 0x80;
        v = (v << 6) | (cb & 0x3F);
      }
      static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
      if (ok && v >= kLeast[len] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) c = v;
      else len = 1;
    } else {
      len = 1;
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029) c = U' ';
    out.push_back(c);
    i += static_cast<std::size_t>(len);
  }
  return out;
}

std::string encode(const char32_t* p, std::size_t n) {
  std::string out;
  out.reserve(n * 3);
  for (const char32_t* e = p + n; p < e; ++p) {
    const char32_t c = *p;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string script_tag(hb_script_t s) {
  char tag[5] = {};
  hb_tag_to_string(hb_script_to_iso15924_tag(s), tag);
  return tag;
}

// SDL2_ttf keeps the direction and script on the font.
TTF_Font* set_up(int face, bool rtl, hb_script_t script) {
  TTF_Font* font = fonts().faces[face].font;
  TTF_SetFontDirection(font, rtl ? TTF_DIRECTION_RTL : TTF_DIRECTION_LTR);
  TTF_SetFontScriptName(font, script_tag(is_real_script(script) ? script : HB_SCRIPT_LATIN).c_str());
  return font;
}

int measure(int face, bool rtl, hb_script_t script, const char32_t* p, std::size_t n) {
  TTF_Font* font = set_up(face, rtl, script);
  int w = 0, h = 0;
  if (n == 0 || TTF_SizeUTF8(font, encode(p, n).c_str(), &w, &h) != 0) return 0;
  return w;
}

// Scripts whose characters are shared between languages: the face for them
// is found with the language the rest of the text points to.
const char* language_for(hb_script_t s, const std::set<hb_script_t>& present) {
  switch (s) {
    case HB_SCRIPT_HIRAGANA:
    case HB_SCRIPT_KATAKANA: return "ja";
    case HB_SCRIPT_HANGUL: return "ko";
    case HB_SCRIPT_HAN:
      if (present.count(HB_SCRIPT_HIRAGANA) || present.count(HB_SCRIPT_KATAKANA)) return "ja";
      if (present.count(HB_SCRIPT_HANGUL)) return "ko";
      return nullptr;  // the user's own language, as fontconfig takes it from the locale
    default: return nullptr;
  }
}

struct Line {
  std::u32string chars;
  std::vector<hb_script_t> scripts;  // Common and Inherited resolved to their neighbours'
  std::vector<int> faces;
  std::vector<FriBidiCharType> types;
  std::vector<FriBidiLevel> levels;
  FriBidiParType direction = FRIBIDI_PAR_LTR;
};

struct Span {
  std::size_t begin, end;
};

// Runs of one level, one script and one face, in reading order.
std::vector<Span> runs_of(const Line& l, std::size_t n) {
  std::vector<Span> runs;
  for (std::size_t i = 0; i < n; ++i) {
    if (!runs.empty() && l.levels[i] == l.levels[runs.back().begin] && l.scripts[i] == l.scripts[runs.back().begin] &&
        l.faces[i] == l.faces[runs.back().begin])
      runs.back().end = i + 1;
    else runs.push_back({i, i + 1});
  }
  return runs;
}

void resolve_scripts(Line& l) {
  const std::size_t n = l.chars.size();
  l.scripts.resize(n);
  hb_script_t last = HB_SCRIPT_COMMON;
  for (std::size_t i = 0; i < n; ++i) {
    hb_script_t s = hb_unicode_script(unicode(), l.chars[i]);
    if (is_real_script(s)) last = s;
    l.scripts[i] = is_real_script(s) ? s : last;
  }
  // What comes before the first letter takes the first letter's script.
  std::size_t first = 0;
  while (first < n && !is_real_script(l.scripts[first])) ++first;
  for (std::size_t i = 0; i < first && first < n; ++i) l.scripts[i] = l.scripts[first];
}

// Every character gets a face: the one its script's letters are drawn with
// when it has the character (so a word keeps to one face), else the label
// font, else the face fontconfig finds for the character alone.
void choose_faces(Line& l) {
  Fonts& fs = fonts();
  const std::size_t n = l.chars.size();
  l.faces.assign(n, 0);
  std::map<hb_script_t, std::vector<char32_t>> letters;
  std::set<hb_script_t> present;
  {
    std::set<std::pair<hb_script_t, char32_t>> seen;
    for (char32_t c : l.chars) {
      hb_script_t s = hb_unicode_script(unicode(), c);
      if (!is_real_script(s)) continue;
      present.insert(s);
      auto& v = letters[s];
      if (v.size() < 256 && seen.insert({s, c}).second) v.push_back(c);
    }
  }
  int searches = 0;
  auto search = [&](const std::string& key, const std::vector<char32_t>& chars, const char* lang) {
    auto it = fs.searched.find(key);
    if (it != fs.searched.end()) return it->second;
    if (searches >= kMaxSearchesPerLine) return -1;
    ++searches;
    int face = search_face(chars, lang);
    fs.searched[key] = face;
    return face;
  };
  std::map<hb_script_t, int> script_face;
  auto face_of_script = [&](hb_script_t s) {
    auto it = script_face.find(s);
    if (it != script_face.end()) return it->second;
    int face = 0;
    const auto& chars = letters[s];
    if (!std::all_of(chars.begin(), chars.end(), [](char32_t c) { return has_glyph(0, c); })) {
      const char* lang = language_for(s, present);
      std::string key = script_tag(s) + ":" + (lang ? lang : "") + ":" + encode(chars.data(), chars.size());
      int found = search(key, chars, lang);
      if (found >= 0) face = found;
    }
    script_face[s] = face;
    return face;
  };
  char32_t missing = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = l.chars[i];
    if (i > 0 && follows(c) && (is_format(c) || has_glyph(l.faces[i - 1], c))) {
      l.faces[i] = l.faces[i - 1];
      continue;
    }
    if (is_format(c)) continue;  // drawn as nothing by the shaper
    int face = is_real_script(l.scripts[i]) ? face_of_script(l.scripts[i]) : 0;
    if (!has_glyph(face, c)) face = 0;
    if (!has_glyph(face, c)) {
      int found = search("U+" + std::to_string(static_cast<unsigned long>(c)), {c}, nullptr);
      if (found >= 0) face = found;
      else if (!missing) missing = c;
    }
    l.faces[i] = face;
  }
  if (missing && !fs.told_missing) {
    fs.told_missing = true;
    std::fprintf(stderr,
                 "vexmoor: no font here has some characters of the label's text (U+%04lX); they show as boxes\n",
                 static_cast<unsigned long>(missing));
  }
}

void resolve_levels(Line& l) {
  const std::size_t n = l.chars.size();
  const auto len = static_cast<FriBidiStrIndex>(n);
  std::vector<FriBidiChar> str(l.chars.begin(), l.chars.end());
  l.types.resize(n);
  std::vector<FriBidiBracketType> brackets(n);
  l.levels.assign(n, 0);
  fribidi_get_bidi_types(str.data(), len, l.types.data());
  fribidi_get_bracket_types(str.data(), len, l.types.data(), brackets.data());
  l.direction = FRIBIDI_PAR_ON;
  if (!fribidi_get_par_embedding_levels_ex(l.types.data(), brackets.data(), len, &l.direction, l.levels.data())) {
    l.levels.assign(n, 0);
    l.direction = FRIBIDI_PAR_LTR;
  }
}

bool cluster_starts(const Line& l, std::size_t i) {
  return i == 0 || i >= l.chars.size() || (!follows(l.chars[i]) && l.chars[i - 1] != 0x200D);
}

// How many characters are laid out: all, or those up to and including the
// cluster that crosses the width. Measured run by run; only the run that
// crosses is measured again, on shorter and shorter beginnings.
std::size_t fitting(const Line& l, int width, bool* cut) {
  *cut = false;
  const std::size_t n = l.chars.size();
  int sum = 0;
  for (const Span& r : runs_of(l, n)) {
    const bool rtl = l.levels[r.begin] & 1;
    const hb_script_t script = l.scripts[r.begin];
    const int face = l.faces[r.begin];
    const char32_t* p = l.chars.data() + r.begin;
    const int w = measure(face, rtl, script, p, r.end - r.begin);
    if (sum + w <= width) {
      sum += w;
      continue;
    }
    std::vector<std::size_t> ends;
    for (std::size_t k = r.begin + 1; k < r.end; ++k)
      if (cluster_starts(l, k)) ends.push_back(k);
    ends.push_back(r.end);
    // The first end at which the beginning of the run no longer fits.
    std::size_t lo = 0, hi = ends.size() - 1;
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (sum + measure(face, rtl, script, p, ends[mid] - r.begin) > width) hi = mid;
      else lo = mid + 1;
    }
    *cut = true;
    return ends[lo];
  }
  return n;
}

struct Laid {
  label_text::Layout layout;
  std::vector<int> faces;  // per run
  std::vector<hb_script_t> scripts;
};

Laid lay_out_line(const std::string& utf8, int width, LabelAlign align) {
  Laid out;
  if (width <= 0 || !init_fonts()) return out;
  Line l;
  l.chars = decode(utf8, kCharsPerPixel * static_cast<std::size_t>(width) + 16);
  if (l.chars.empty()) return out;
  resolve_scripts(l);
  choose_faces(l);
  resolve_levels(l);
  bool cut = false;
  const std::size_t n = fitting(l, width, &cut);
  // Rule L1 for the line as cut: blanks at its end go to the paragraph's level.
  std::vector<FriBidiLevel> levels = l.levels;
  if (!fribidi_reorder_line(0, l.types.data(), static_cast<FriBidiStrIndex>(n), 0, l.direction, levels.data(), nullptr,
                            nullptr))
    levels = l.levels;
  l.levels = std::move(levels);
  std::vector<Span> spans = runs_of(l, n);
  // Rule L2 on whole runs: from the highest level down to the lowest odd
  // one, every stretch of runs at that level or above is reversed.
  int top = 0, lowest_odd = 1000;
  for (const Span& s : spans) {
    const int v = l.levels[s.begin];
    top = std::max(top, v);
    if (v & 1) lowest_odd = std::min(lowest_odd, v);
  }
  for (int level = top; level >= lowest_odd && level > 0; --level) {
    for (std::size_t i = 0; i < spans.size();) {
      if (l.levels[spans[i].begin] < level) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < spans.size() && l.levels[spans[j].begin] >= level) ++j;
      std::reverse(spans.begin() + static_cast<std::ptrdiff_t>(i), spans.begin() + static_cast<std::ptrdiff_t>(j));
      i = j;
    }
  }
  label_text::Layout& lay = out.layout;
  lay.right_to_left = FRIBIDI_IS_RTL(l.direction);
  lay.cut = cut;
  lay.chars_laid_out = n;
  int total = 0;
  for (const Span& s : spans) {
    label_text::Run run;
    run.chars.assign(l.chars.begin() + static_cast<std::ptrdiff_t>(s.begin),
                     l.chars.begin() + static_cast<std::ptrdiff_t>(s.end));
    run.right_to_left = l.levels[s.begin] & 1;
    run.script = script_tag(is_real_script(l.scripts[s.begin]) ? l.scripts[s.begin] : HB_SCRIPT_LATIN);
    const Face& f = fonts().faces[l.faces[s.begin]];
    run.face_file = f.file;
    run.face_index = f.index;
    run.left = total;
    run.width = measure(l.faces[s.begin], run.right_to_left, l.scripts[s.begin], run.chars.data(), run.chars.size());
    total += run.width;
    lay.runs.push_back(std::move(run));
    out.faces.push_back(l.faces[s.begin]);
    out.scripts.push_back(l.scripts[s.begin]);
  }
  // A text that fits keeps the label's alignment; one that is cut shows its
  // beginning, from the side its reading starts on.
  int x0 = 0;
  if (cut) x0 = lay.right_to_left ? width - total : 0;
  else if (align == LabelAlign::kCentre) x0 = (width - total) / 2;
  for (label_text::Run& r : lay.runs) r.left += x0;
  return out;
}

SDL_Color sdl_colour(Pixel p) {
  return {static_cast<Uint8>(p >> 16), static_cast<Uint8>(p >> 8), static_cast<Uint8>(p), 255};
}

// The label's whole picture, text on its background.
SDL_Surface* render(const std::string& text, int width, int height, LabelAlign align, Pixel fg, Pixel bg) {
  Laid laid = lay_out_line(text, width, align);
  if (laid.layout.runs.empty()) return nullptr;
  SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
  if (!out) return nullptr;
  SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, (bg >> 16) & 255, (bg >> 8) & 255, bg & 255));
  // Every face stands on the label font's baseline, the label font centred.
  TTF_Font* label = fonts().faces[0].font;
  const int baseline = (height - TTF_FontHeight(label)) / 2 + TTF_FontAscent(label);
  for (std::size_t i = 0; i < laid.layout.runs.size(); ++i) {
    const label_text::Run& r = laid.layout.runs[i];
    TTF_Font* font = set_up(laid.faces[i], r.right_to_left, laid.scripts[i]);
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, encode(r.chars.data(), r.chars.size()).c_str(), sdl_colour(fg));
    if (!s) continue;  // a run that draws nothing (blanks' widths aside)
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
    SDL_Rect at{r.left, baseline - TTF_FontAscent(font), s->w, s->h};
    SDL_BlitSurface(s, nullptr, out, &at);
    SDL_FreeSurface(s);
  }
  // The top byte is no colour: ours is always 0.
  for (int y = 0; y < height; ++y) {
    auto* row =
        reinterpret_cast<Pixel*>(static_cast<Uint8*>(out->pixels) + static_cast<std::ptrdiff_t>(y) * out->pitch);
    for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFF;
  }
  return out;
}

// Labels' pictures by what they show; the clock changes once a minute and
// the message never, so laying out each tick would be wasted work. Looked up
// in place: a long message is not copied to be looked up every frame.
struct Drawn {
  std::string text;
  int width, height;
  LabelAlign align;
  Pixel fg, bg;
  SDL_Surface* picture;
};
std::vector<Drawn>& cache() {
  static auto* c = new std::vector<Drawn>;
  return *c;
}

}  // namespace

namespace label_text {

Layout lay_out(const std::string& utf8, int width, LabelAlign align) { return lay_out_line(utf8, width, align).layout; }

}  // namespace label_text

void draw_text_label(const PixelView& target, int left, int top, int width, int height, const std::string& text,
                     LabelAlign align, Pixel fg, Pixel bg) {
  if (width <= 0 || height <= 0) return;
  std::vector<Drawn>& drawn = cache();
  auto it = std::find_if(drawn.begin(), drawn.end(), [&](const Drawn& d) {
    return d.width == width && d.height == height && d.align == align && d.fg == fg && d.bg == bg && d.text == text;
  });
  if (it == drawn.end()) {
    if (drawn.size() >= 8) {
      for (Drawn& d : drawn) SDL_FreeSurface(d.picture);
      drawn.clear();
    }
    drawn.push_back({text, width, height, align, fg, bg, render(text, width, height, align, fg, bg)});
    it = drawn.end() - 1;
  }
  SDL_Surface* s = it->picture;
  if (!s) {
    fill_rect(target, left, top, width, height, bg);
    return;
  }
  const PixelView src{static_cast<Pixel*>(s->pixels), s->w, s->h, s->pitch / 4};
  bit_blt(target, left, top, width, height, src, 0, 0, Rop::kSrcCopy);
}

}  // namespace vex
