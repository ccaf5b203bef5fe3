#pragma once

#include <string>
#include <string_view>

// A double in the general floating format: at most 15 significant digits, fixed notation for 0 and for
// magnitudes from 0.0001 up to below 1E15, exponent notation ("1.5E-10") otherwise, "INF" and "NAN".
std::string FormatGeneralFloat(double value, std::string_view decimalSeparator);

// The decimal separator of the process's current numeric locale.
std::string LocaleDecimalSeparator();
