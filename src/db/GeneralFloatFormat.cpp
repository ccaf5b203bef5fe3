#include "GeneralFloatFormat.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FormatGeneralFloat(double value, std::string_view decimalSeparator) {
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isnan(value))
        return sign + "NAN";
    if (std::isinf(value))
        return sign + "INF";
    if (value == 0)
        return "0";

    // "d.dddddddddddddde[+-]x": the value rounded to 15 significant digits.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const std::string_view text(buffer);
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(buffer + ePos + 1);

    std::string out = sign;
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += "0";
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerDigits) {
                out += digits;
                out.append(integerDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, integerDigits);
                out += decimalSeparator;
                out += digits.substr(integerDigits);
            }
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += decimalSeparator;
        out += digits.substr(1);
    }
    return out + "E" + std::to_string(exponent);
}

std::string LocaleDecimalSeparator() {
    const std::lconv* conventions = std::localeconv();
    if (conventions == nullptr || conventions->decimal_point == nullptr || *conventions->decimal_point == '\0')
        return ".";
    return conventions->decimal_point;
}
