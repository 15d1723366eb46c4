#include "NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// 10^exponent; exact in extended precision up to 10^27, which covers every plain input.
long double PowerOfTen(int exponent) {
  long double result = 1.0L;
  long double base = 10.0L;
  for (int e = exponent < 0 ? -exponent : exponent; e > 0; e >>= 1) {
    if (e & 1) result *= base;
    base *= base;
  }
  return result;
}

// Trims blanks; false when nothing remains.
bool Trim(const std::string& text, size_t& begin, size_t& end) {
  begin = 0;
  end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return begin < end;
}

}  // namespace

std::string FormatNumber(long double value, const std::string& pattern, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

  int integerDigits = 0;
  int decimals = 0;
  bool afterPoint = false;
  for (char c : pattern) {
    if (c == '.') afterPoint = true;
    else if (c == '0') ++(afterPoint ? decimals : integerDigits);
  }
  if (integerDigits < 1) integerDigits = 1;

  // The scaled magnitude rounded half away from zero gives every digit of the result.
  long double scaled = std::roundl(std::fabs(value) * PowerOfTen(decimals));
  std::string digits;
  if (scaled < 1e18L) {
    auto whole = static_cast<unsigned long long>(scaled);
    digits = std::to_string(whole);
  } else {
    char buffer[6000];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", scaled);
    digits = buffer;
  }
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  if (static_cast<int>(digits.size()) < integerDigits + decimals)
    digits.insert(0, static_cast<size_t>(integerDigits + decimals) - digits.size(), '0');

  std::string result;
  if (value < 0 && !zero) result += '-';
  result.append(digits, 0, digits.size() - static_cast<size_t>(decimals));
  if (decimals > 0) {
    result += decimalSeparator;
    result.append(digits, digits.size() - static_cast<size_t>(decimals), std::string::npos);
  }
  return result;
}

bool TryParseFloat(const std::string& text, char decimalSeparator, long double& value) {
  size_t i, end;
  if (!Trim(text, i, end)) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';

  // Up to 19 significant digits are kept exactly; the rest only shift the exponent.
  unsigned long long mantissa = 0;
  int kept = 0;
  long exponent = 0;
  int digitCount = 0;
  bool seenSeparator = false;
  for (; i < end; ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      ++digitCount;
      if (kept < 19) {
        if (mantissa != 0 || c != '0') ++kept;
        mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
        if (seenSeparator) --exponent;
      } else if (!seenSeparator) {
        ++exponent;
      }
    } else if (c == decimalSeparator && !seenSeparator) {
      seenSeparator = true;
    } else {
      break;
    }
  }
  if (digitCount == 0) return false;

  if (i < end) {
    if (text[i] != 'e' && text[i] != 'E') return false;
    ++i;
    bool negativeExponent = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    if (i == end) return false;
    long written = 0;
    for (; i < end; ++i) {
      if (!IsDigit(text[i])) return false;
      if (written < 100000) written = written * 10 + (text[i] - '0');
    }
    exponent += negativeExponent ? -written : written;
  }

  long double result = static_cast<long double>(mantissa);
  if (mantissa != 0) {
    if (exponent > 5000) result = std::numeric_limits<long double>::infinity();
    else if (exponent < -5000) result = 0.0L;
    else if (exponent < -4900) result = result / PowerOfTen(4900) / PowerOfTen(static_cast<int>(-exponent - 4900));
    else if (exponent < 0) result /= PowerOfTen(static_cast<int>(-exponent));
    else result *= PowerOfTen(static_cast<int>(exponent));
  }
  value = negative ? -result : result;
  return true;
}

bool TryParseInteger(const std::string& text, int32_t& value) {
  size_t i, end;
  if (!Trim(text, i, end)) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  if (i == end) return false;
  long long magnitude = 0;
  for (; i < end; ++i) {
    if (!IsDigit(text[i])) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 2147483648LL) return false;
  }
  if (!negative && magnitude > 2147483647LL) return false;
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}
