#include "protocol/fault_values.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace winhelper {

std::string fault_float_text(double value) {
  // Shortest digits and decimal exponent, e.g. "4.5e+00".
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string sci(buf, res.ptr);
  std::string sign;
  if (!sci.empty() && sci[0] == '-') {
    sign = "-";
    sci.erase(0, 1);
  }
  auto e = sci.find('e');
  std::string mantissa = sci.substr(0, e);
  int exponent = std::atoi(sci.c_str() + e + 1);
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits.push_back(c);
  }
  int length = static_cast<int>(digits.size());
  int point = exponent + 1;  // digits before the decimal point
  std::string out;
  if (digits == "0") {
    out = "0.0";
  } else if (point > 0 && point <= 16) {
    if (length <= point) {
      out = digits + std::string(point - length, '0') + ".0";
    } else {
      out = digits.substr(0, point) + "." + digits.substr(point);
    }
  } else if (point <= 0 && point > -5) {
    out = "0." + std::string(-point, '0') + digits;
  } else {
    out = digits.substr(0, 1);
    if (length > 1) out += "." + digits.substr(1);
    out += "e" + std::to_string(exponent);
  }
  return sign + out;
}

std::string fault_quoted_text(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\0': out += "\\0"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[16];
          std::snprintf(buf, sizeof buf, "\\u{%x}", c);
          out += buf;
        } else {
          out.push_back(ch);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace winhelper
