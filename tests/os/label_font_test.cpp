// The labels' text drawn with the system's real fonts: the faces chosen for
// other scripts, the order of right-to-left text, Arabic joining, the cut of
// a text longer than its label.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <string>

#include "os/label_font.h"
#include "os/linux/label_layout.h"
#include "os/raster.h"

namespace vex {
namespace {

constexpr Pixel kInk = rgb(255, 255, 255);
constexpr Pixel kBack = rgb(0, 0, 0);
constexpr int kHeight = 19;

Bitmap label(const std::string& text, int width = 400, LabelAlign align = LabelAlign::kLeft) {
  Bitmap b(width, kHeight, rgb(0, 0, 200));
  draw_text_label(b.view(), 0, 0, width, kHeight, text, align, kInk, kBack);
  return b;
}

struct Columns {
  int lo, hi;  // the first and last column holding any text; lo > hi for none
  int width() const { return hi - lo + 1; }
};

Columns ink(const Bitmap& b) {
  Columns c{b.width(), -1};
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.at(x, y) != kBack) c = {std::min(c.lo, x), std::max(c.hi, x)};
  return c;
}

// Whether the text of one glyph (drawn alone in `glyph`) stands in `line`
// with its first column at x: every pixel of its text is there.
bool stands_at(const Bitmap& line, const Bitmap& glyph, int x) {
  const Columns g = ink(glyph);
  if (x < 0 || x + g.width() > line.width()) return false;
  for (int y = 0; y < kHeight; ++y)
    for (int gx = g.lo; gx <= g.hi; ++gx)
      if (glyph.at(gx, y) != kBack && line.at(x + gx - g.lo, y) != glyph.at(gx, y)) return false;
  return true;
}

std::string utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// fontconfig's own reading of the face's character map.
bool face_has(const std::string& file, int index, char32_t c) {
  int count = 0;
  FcPattern* p =
      FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), static_cast<unsigned>(index), nullptr, &count);
  if (!p) return false;
  FcCharSet* cs = nullptr;
  const bool has = FcPatternGetCharSet(p, FC_CHARSET, 0, &cs) == FcResultMatch && FcCharSetHasChar(cs, c);
  FcPatternDestroy(p);
  return has;
}

struct Sample {
  const char* name;
  std::string text;
};
const Sample kSamples[] = {
    {"Hebrew", "שלום עולם! ברוכים הבאים"},
    {"Arabic", "مرحبا بكم في المقبرة، عيد سعيد"},
    {"Japanese", "ハッピーハロウィン！墓地へようこそ"},
    {"Chinese", "万圣节快乐，欢迎来到墓地"},
    {"Korean", "해피 할로윈"},
    // Signs of no script in Latin text, which the label font lacks.
    {"Symbols", "Boo ☠ ♛"},
};

TEST(LabelText, EveryLetterOfOtherScriptsIsDrawnFromAFaceThatHasIt) {
  // U+0378 is in no font: what the label font draws for a character it lacks.
  const Bitmap missing = label("\u0378");
  ASSERT_LT(ink(missing).lo, ink(missing).hi) << "the missing-glyph box draws something";
  for (const Sample& s : kSamples) {
    const label_text::Layout lay = label_text::lay_out(s.text, 1000, LabelAlign::kLeft);
    ASSERT_FALSE(lay.runs.empty()) << s.name;
    EXPECT_FALSE(lay.cut) << s.name;
    for (const label_text::Run& r : lay.runs)
      for (char32_t c : r.chars) {
        if (c == U' ') continue;
        EXPECT_TRUE(face_has(r.face_file, r.face_index, c))
            << s.name << ": U+" << std::hex << static_cast<unsigned long>(c) << " drawn from " << r.face_file;
        // Drawn alone, the letter is no missing-glyph box.
        const Bitmap alone = label(utf8(c));
        bool same = true;
        for (int y = 0; y < kHeight && same; ++y)
          for (int x = 0; x < alone.width() && same; ++x) same = alone.at(x, y) == missing.at(x, y);
        EXPECT_FALSE(same) << s.name << ": U+" << std::hex << static_cast<unsigned long>(c) << " is a box";
      }
  }
  // Latin stays in the label font, a line of Hebrew keeps to one face.
  EXPECT_EQ(label_text::lay_out("Boo to you", 400, LabelAlign::kLeft).runs.size(), 1u);
  const auto hebrew = label_text::lay_out("שלום עולם!", 400, LabelAlign::kLeft);
  ASSERT_EQ(hebrew.runs.size(), 1u);
  const auto latin = label_text::lay_out("Boo", 400, LabelAlign::kLeft);
  EXPECT_NE(hebrew.runs[0].face_file, latin.runs[0].face_file);
}

TEST(LabelText, RightToLeftWordsReadFromTheRightAndLeftToRightFromTheLeft) {
  struct Word {
    std::string first, word;
    bool rtl;
  };
  // Hebrew letters and these Arabic ones (which join no letter after them)
  // look the same alone and in the word.
  const Word words[] = {{"ש", "שלום", true}, {"د", "دار", true}, {"B", "Boo", false}};
  for (const Word& w : words) {
    const Bitmap first = label(w.first);
    const Bitmap line = label(w.word);
    const Columns f = ink(first), l = ink(line);
    ASSERT_LT(l.lo, l.hi) << w.word;
    ASSERT_GT(l.width(), f.width() + 4) << w.word;
    if (w.rtl) {
      EXPECT_TRUE(stands_at(line, first, l.hi - f.width() + 1)) << w.word << ": its first letter at the right end";
      EXPECT_FALSE(stands_at(line, first, l.lo)) << w.word;
    } else {
      EXPECT_TRUE(stands_at(line, first, l.lo)) << w.word;
    }
  }

  // In a right-to-left paragraph a Latin word stands left of the Hebrew one
  // before it; in a left-to-right one, a Hebrew word right of the Latin one.
  const auto rtl = label_text::lay_out("שלום Boo", 400, LabelAlign::kLeft);
  EXPECT_TRUE(rtl.right_to_left);
  ASSERT_EQ(rtl.runs.size(), 2u);
  EXPECT_EQ(rtl.runs[0].chars, U"Boo");
  EXPECT_EQ(rtl.runs[1].chars.substr(0, 4), U"שלום");
  EXPECT_TRUE(rtl.runs[1].right_to_left);
  EXPECT_LT(rtl.runs[0].left, rtl.runs[1].left);
  const auto ltr = label_text::lay_out("Boo שלום עולם and", 400, LabelAlign::kLeft);
  EXPECT_FALSE(ltr.right_to_left);
  ASSERT_GE(ltr.runs.size(), 3u);
  EXPECT_EQ(ltr.runs[0].chars, U"Boo ");
  EXPECT_EQ(ltr.runs[1].chars, U"שלום עולם");
  EXPECT_EQ(ltr.runs[1].script, "Hebr");
  EXPECT_TRUE(ltr.runs[1].right_to_left);
  std::u32string rest;
  for (std::size_t i = 2; i < ltr.runs.size(); ++i) rest += ltr.runs[i].chars;
  EXPECT_EQ(rest, U" and");
  // Numbers keep their own order inside right-to-left text, after it in
  // reading order and so left of it.
  const auto numbers = label_text::lay_out("שלום 2024", 400, LabelAlign::kLeft);
  ASSERT_EQ(numbers.runs.size(), 2u);
  EXPECT_EQ(numbers.runs[0].chars, U"2024");
  // Drawn, the Latin word of the right-to-left line begins its ink.
  const Bitmap b = label("B");
  const Bitmap line = label("שלום Boo");
  EXPECT_TRUE(stands_at(line, b, ink(line).lo));
}

// The lowest row holding text.
int bottom(const Bitmap& b) {
  for (int y = b.height() - 1; y >= 0; --y)
    for (int x = 0; x < b.width(); ++x)
      if (b.at(x, y) != kBack) return y;
  return -1;
}

TEST(LabelText, OtherFacesStandOnTheLabelFontsBaseline) {
  // None of these letters reaches below the line.
  const int latin = bottom(label("Boo"));
  EXPECT_GT(latin, kHeight / 2);
  EXPECT_EQ(bottom(label("שלום")), latin);
  EXPECT_EQ(bottom(label("Boo שלום")), latin);
  // A face of other proportions (CJK stands taller) sits on the same line:
  // this katakana's foot is at the baseline.
  EXPECT_NEAR(bottom(label("ロロ")), latin, 1);
}

TEST(LabelText, ArabicLettersJoinIntoTheirConnectedForms) {
  // Seen, lam and meem join on both sides; a zero-width non-joiner between
  // them keeps each in its isolated form.
  const Bitmap joined = label("سلم");
  const Bitmap apart = label("س\u200Cل\u200Cم");
  const Columns j = ink(joined), a = ink(apart);
  ASSERT_LT(j.lo, j.hi);
  EXPECT_LT(j.width(), a.width()) << "joined forms are narrower than isolated ones";
  // Joined, the word's ink is one stroke along the baseline: no empty column.
  for (int x = j.lo; x <= j.hi; ++x) {
    bool any = false;
    for (int y = 0; y < kHeight; ++y) any = any || joined.at(x, y) != kBack;
    EXPECT_TRUE(any) << "a gap at column " << x;
  }
}

TEST(LabelText, ATextLongerThanItsLabelIsCutAtTheEdgeShowingItsBeginning) {
  // Centred, a text that fits stands in the middle.
  const Columns fits = ink(label("Boo", 400, LabelAlign::kCentre));
  EXPECT_NEAR((fits.lo + fits.hi) / 2.0, 200, 3);

  // Too long, whatever the alignment, its beginning shows from the left and
  // its text runs to the label's right edge.
  std::string dots;
  for (int i = 0; i < 2000; ++i) dots += ". ";
  const Bitmap a_alone = label("A");
  for (LabelAlign align : {LabelAlign::kCentre, LabelAlign::kLeft}) {
    const Bitmap line = label("  A" + dots, 300, align);
    const Columns c = ink(line);
    EXPECT_TRUE(stands_at(line, a_alone, c.lo)) << "the first letter shows";
    EXPECT_LT(c.lo, 20);
    EXPECT_GT(c.hi, 300 - 8) << "the text reaches the edge";
  }
  // Right to left, the beginning is at the right, the cut at the left edge.
  std::string vav;
  for (int i = 0; i < 2000; ++i) vav += "ו ";
  const Bitmap shin = label("ש");
  const Bitmap rtl = label("  ש" + vav, 300, LabelAlign::kLeft);
  const Columns r = ink(rtl);
  EXPECT_TRUE(stands_at(rtl, shin, r.hi - ink(shin).width() + 1)) << "the first letter at the right";
  EXPECT_GT(r.hi, 300 - 20);
  EXPECT_LT(r.lo, 8) << "the text reaches the left edge";
  // What is cut is what crosses the far edge: the reading's side keeps its
  // place, the other side runs over.
  auto extent = [](const label_text::Layout& lay) {
    std::pair<int, int> e{1 << 30, -(1 << 30)};
    for (const auto& run : lay.runs) e = {std::min(e.first, run.left), std::max(e.second, run.left + run.width)};
    return e;
  };
  const auto rtl_lay = label_text::lay_out("  ש" + vav, 300, LabelAlign::kLeft);
  EXPECT_TRUE(rtl_lay.cut);
  EXPECT_EQ(extent(rtl_lay).second, 300);
  EXPECT_LT(extent(rtl_lay).first, 0);
  const auto ltr_lay = label_text::lay_out("  A" + dots, 300, LabelAlign::kCentre);
  EXPECT_EQ(extent(ltr_lay).first, 0);
  EXPECT_GT(extent(ltr_lay).second, 300);

  // 100 KB of text: only what the label shows is laid out.
  std::string huge;
  while (huge.size() < 100 * 1024) huge += "Happy Halloween from the graveyard! ";
  const label_text::Layout lay = label_text::lay_out(huge, 1024, LabelAlign::kCentre);
  EXPECT_TRUE(lay.cut);
  EXPECT_GT(lay.chars_laid_out, 100u);
  EXPECT_LT(lay.chars_laid_out, 250u);
  int right = 0;
  for (const auto& run : lay.runs) right = std::max(right, run.left + run.width);
  EXPECT_GT(right, 1024) << "up to the character that crosses the edge";
  EXPECT_LT(right, 1024 + 20);
}

TEST(LabelText, NoTextNoRoomAndBrokenTextDrawTheBackgroundOrReplacementMarks) {
  Bitmap b(20, kHeight, rgb(0, 0, 200));
  draw_text_label(b.view(), 0, 0, 0, kHeight, "Boo", LabelAlign::kLeft, kInk, kBack);
  EXPECT_EQ(b.at(0, 0), rgb(0, 0, 200)) << "a label of no width draws nothing";
  const Bitmap empty = label("");
  EXPECT_GT(ink(empty).lo, ink(empty).hi);
  EXPECT_EQ(empty.at(0, 0), kBack);
  // Bytes that are no UTF-8 show as replacement marks, controls as blanks.
  const auto broken = label_text::lay_out("a\xff\xc0\x80z\tq", 400, LabelAlign::kLeft);
  std::u32string all;
  for (const auto& r : broken.runs) all += r.chars;
  EXPECT_EQ(all, U"a\uFFFD\uFFFD\uFFFDz q");
}

}  // namespace
}  // namespace vex
