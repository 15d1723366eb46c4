// Numbers as text: fixed patterns such as "0.00", and the parse of typed numbers.
#pragma once

#include <cstdint>
#include <string>

// value in pattern: as many integer digits as the pattern has zeros before its '.', at least
// one; exactly as many decimals as it has zeros after it; rounded half away from zero; a
// leading '-' for a negative value that does not round to zero; no digit grouping. Infinities
// and NaN give "INF", "-INF" and "NAN".
std::string FormatNumber(long double value, const std::string& pattern, char decimalSeparator);

// The whole text as a decimal number: blanks around it, an optional sign, digits with at
// most one decimalSeparator, and an optional exponent (e or E, optional sign, digits). At
// least one digit before the exponent. False, with value untouched, for anything else.
bool TryParseFloat(const std::string& text, char decimalSeparator, long double& value);

// The whole text as a signed 32-bit decimal integer: blanks around it, an optional sign,
// digits. False, with value untouched, on anything else or on overflow.
bool TryParseInteger(const std::string& text, int32_t& value);

#ifdef _WIN32
// The user's decimal separator (its first character; '.' when the locale gives none).
char LocaleDecimalSeparator();

// The three above with the user's decimal separator.
std::string FormatFloat(const std::string& pattern, long double value);
bool TryStrToFloat(const std::string& text, long double& value);
bool TryStrToInt(const std::string& text, int32_t& value);
#endif
