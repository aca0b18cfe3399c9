#pragma once
// Number text as our files store it: strict integer parsing (a value that is
// not wholly a number is rejected, never partly read), floats written with
// "." and read with "." or ",", independent of the process locale.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sv {

// Optional leading blanks, optional sign, then decimal digits or "$"/"0x"
// followed by hexadecimal digits. Decimal overflow is an error; hexadecimal
// takes up to 32 bits and wraps above $7FFFFFFF ("$FFFFFFFF" is -1).
std::optional<int32_t> ParseInt32(std::string_view text);
// The same rule at 64 bits.
std::optional<int64_t> ParseInt64(std::string_view text);

// Decimal with "." or "," as separator, optional exponent, surrounding blanks
// allowed. Infinities, NaN and anything else give nothing.
std::optional<double> ParseFloat(std::string_view text);

// Up to 15 significant digits in the shortest form: "2.5", "0", "-0.1",
// "1E20", "1.5E-7". Non-finite values give "NAN", "INF" or "-INF".
std::string FormatFloat(double value);

// Round half to even; NaN gives 0 and values beyond the range saturate.
int64_t Round(double value);

}  // namespace sv
