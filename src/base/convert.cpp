#include "base/convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/failure.h"

namespace vex {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Longest number at the start of text (no blanks skipped); returns the count
// of characters used, 0 when there is no number.
std::size_t scan_number(std::string_view text, double& out) {
  std::size_t i = 0;
  std::string buf;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) buf += text[i++];
  std::size_t digits = 0;
  while (i < text.size() && is_digit(text[i])) {
    buf += text[i++];
    ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    buf += text[i++];
    while (i < text.size() && is_digit(text[i])) {
      buf += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exp += text[j++];
    std::size_t exp_digits = 0;
    while (j < text.size() && is_digit(text[j]) && exp_digits < 6) {
      exp += text[j++];
      ++exp_digits;
    }
    if (exp_digits > 0) {
      buf += exp;
      i = j;
      while (i < text.size() && is_digit(text[i])) ++i;
    }
  }
  out = std::strtod(buf.c_str(), nullptr);
  return i;
}

double round_half_even(double v) {
  if (!std::isfinite(v)) throw Failure(kOverflow);
  return std::nearbyint(v);  // default rounding mode is to-nearest-even
}

}  // namespace

double leading_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  double v = 0;
  if (scan_number(text.substr(i), v) == 0) return 0;
  return v;
}

std::optional<double> parse_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  double v = 0;
  std::size_t n = scan_number(text.substr(i), v);
  if (n == 0) return std::nullopt;
  i += n;
  while (i < text.size() && is_blank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  return v;
}

bool is_numeric(std::string_view text) { return parse_number(text).has_value(); }

std::size_t numeric_suffix_start(std::string_view s) {
  // Read from the right: blanks, then [sign] mantissa [exponent]. Each part
  // is the longest run that can stand there, so one pass finds the start.
  constexpr std::size_t npos = std::string_view::npos;
  auto run_start = [&](std::size_t end, auto pred) {
    while (end > 0 && pred(s[end - 1])) --end;
    return end;
  };
  auto digit = [](char c) { return is_digit(c); };
  const std::size_t e = run_start(s.size(), is_blank);
  // The mantissa ending at m: digits, an optional point, digits, one digit
  // at least; its start, or npos.
  auto mantissa_start = [&](std::size_t m) -> std::size_t {
    std::size_t d1 = run_start(m, digit);
    if (d1 > 0 && s[d1 - 1] == '.') {
      std::size_t d0 = run_start(d1 - 1, digit);
      if ((m - d1) + (d1 - 1 - d0) == 0) return npos;
      return d0;
    }
    return m > d1 ? d1 : npos;
  };
  std::size_t best = npos;
  auto consider = [&](std::size_t start) {
    if (start == npos) return;
    if (start > 0 && (s[start - 1] == '+' || s[start - 1] == '-')) --start;
    if (best == npos || start < best) best = start;
  };
  consider(mantissa_start(e));
  std::size_t a = run_start(e, digit);
  if (a < e && a > 0) {
    std::size_t p = npos;
    auto is_exp = [](char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; };
    if (is_exp(s[a - 1])) p = a - 1;
    else if ((s[a - 1] == '+' || s[a - 1] == '-') && a >= 2 && is_exp(s[a - 2])) p = a - 2;
    if (p != npos) consider(mantissa_start(p));
  }
  if (best == npos) return npos;
  return run_start(best, is_blank);
}

int16_t round_to_i16(double v) {
  double r = round_half_even(v);
  if (r < INT16_MIN || r > INT16_MAX) throw Failure(kOverflow);
  return static_cast<int16_t>(r);
}

int32_t round_to_i32(double v) {
  double r = round_half_even(v);
  if (r < INT32_MIN || r > INT32_MAX) throw Failure(kOverflow);
  return static_cast<int32_t>(r);
}

int32_t text_to_i32(std::string_view text) {
  auto v = parse_number(text);
  if (!v) throw Failure(kConversionFailed);
  return round_to_i32(*v);
}

std::string num_to_text(long long n) {
  std::string text = n >= 0 ? " " : "";
  text += std::to_string(n);
  return text;
}

std::string format_000(double v) {
  char buf[64];
  double r = round_half_even(v);
  std::snprintf(buf, sizeof buf, "%03.0f", r);
  return buf;
}

std::string format_time_hmm_ampm(const std::tm& t) {
  int h = t.tm_hour % 12;
  if (h == 0) h = 12;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d %s", h, t.tm_min, t.tm_hour < 12 ? "AM" : "PM");
  return buf;
}

std::string utf8_prefix(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return std::string(text);
  std::size_t n = max_bytes;
  // Step back over continuation bytes to the start of the cut character.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return std::string(text.substr(0, n));
}

std::string to_lower_ascii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string to_upper_ascii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string trim_blanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && to_lower_ascii(a) == to_lower_ascii(b);
}

}  // namespace vex
