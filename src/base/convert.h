#pragma once
// The text and number conversions the program relies on, in one place.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vex {

// Value of the text's leading number: leading blanks skipped, then an
// optional sign, digits, a decimal point and an exponent; text that does not
// start with a number is 0. Never fails.
double leading_number(std::string_view text);

// The whole text is a number, possibly surrounded by blanks.
std::optional<double> parse_number(std::string_view text);
bool is_numeric(std::string_view text);

// Where the longest suffix of text that is_numeric begins (the blanks before
// the number included), or npos when no suffix is a number. Linear in the
// text's length.
std::size_t numeric_suffix_start(std::string_view text);

// Nearest integer, halves to the even neighbour; out of range is overflow.
int16_t round_to_i16(double v);
int32_t round_to_i32(double v);
// Text that must be a number, as a 32-bit integer (conversion failure 13).
int32_t text_to_i32(std::string_view text);

// Number to text with a leading blank standing for the sign of a
// non-negative number: 70 -> " 70", -5 -> "-5".
std::string num_to_text(long long n);
// At least three digits: 1 -> "001".
std::string format_000(double v);
// "h:mm AMPM": 21:05 -> "9:05 PM", 00:07 -> "12:07 AM".
std::string format_time_hmm_ampm(const std::tm& t);

// The first max_bytes bytes of a UTF-8 text, shortened further if that would
// cut a character in two.
std::string utf8_prefix(std::string_view text, std::size_t max_bytes);

std::string to_lower_ascii(std::string_view s);
std::string to_upper_ascii(std::string_view s);
std::string trim_blanks(std::string_view s);
bool iequals(std::string_view a, std::string_view b);

}  // namespace vex
