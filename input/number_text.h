#pragma once
#include <cstddef>
#include <string>

// The program's one number grammar, for the time history and for the answers:
//   [+-] digits [. [digits]] | [+-] . digits, then optionally [eE] [+-] digits
// No inf, nan or hexadecimal forms.

// Length of the longest prefix of [p, end) that is a number of the grammar,
// 0 if none. "1e" gives 1 ("e" is not an exponent without digits); "1.2.3"
// gives 3.
std::size_t match_number(const char* p, const char* end);

// Converts text that match_number accepted in full to the correctly rounded
// double. False when the value overflows a double, which the program does not
// take as a number; values too small for a double round to zero or a
// subnormal as usual.
bool convert_number(const char* p, std::size_t length, double& value);

// A whole answer token as a real number of the grammar.
bool parse_real_token(const std::string& token, double& value);

// A whole answer token as an integer: optional sign and digits, within
// [min, max].
bool parse_integer_token(const std::string& token, long min, long max, long& value);
