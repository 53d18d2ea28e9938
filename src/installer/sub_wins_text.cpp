// Size and number texts of the installer's screens.
#include <cmath>
#include <string>

#include "installer/sub_wins.h"

std::string one_decimal_str(float v, int min_digits) {
  const double tenths = std::round(std::fabs((double)v) * 10.0);  // halves away from zero
  const long long whole = (long long)(tenths / 10.0);
  const int decimal = (int)(tenths - (double)whole * 10.0);
  std::string digits = std::to_string(whole);
  if ((int)digits.size() < min_digits) digits.insert(0, (size_t)(min_digits - (int)digits.size()), '0');
  for (size_t i = 0; i + 1 < digits.size() && digits[i] == '0'; i++) digits[i] = ' ';
  return std::string(v < 0 && tenths > 0 ? "-" : "") + digits + "." + std::to_string(decimal);
}

std::string set_size_str(float k) {
  const float m = k * 0.001f;
  if (m < 1000) return one_decimal_str(m, 1) + " Meg";
  return one_decimal_str(m * 0.001f, 1) + " Gig";
}
