#include <windows.h>

#include "NumberFormat.h"

char LocaleDecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) == 0 || buffer[0] == '\0')
    return '.';
  return buffer[0];
}

std::string FormatFloat(const std::string& pattern, long double value) {
  return FormatNumber(value, pattern, LocaleDecimalSeparator());
}

bool TryStrToFloat(const std::string& text, long double& value) {
  return TryParseFloat(text, LocaleDecimalSeparator(), value);
}

bool TryStrToInt(const std::string& text, int32_t& value) { return TryParseInteger(text, value); }
