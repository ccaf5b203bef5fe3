#include "Isbn.h"

#include <string>

bool IsIsbn(std::string_view stored) {
    std::string digits;
    for (const char c : stored) {
        if (c == '-' || c == ' ')
            continue;
        const bool checkX = (c == 'X' || c == 'x') && digits.size() == 9;
        if (!checkX && (c < '0' || c > '9'))
            return false;
        digits += checkX ? 'X' : c;
        if (digits.size() > 13)
            return false;
    }
    if (digits.size() == 10) {
        int sum = 0;
        for (int i = 0; i < 10; ++i)
            sum += (10 - i) * (digits[i] == 'X' ? 10 : digits[i] - '0');
        return sum % 11 == 0;
    }
    if (digits.size() != 13 || digits.find('X') != std::string::npos ||
        !(digits.starts_with("978") || digits.starts_with("979")))
        return false;
    int sum = 0;
    for (int i = 0; i < 13; ++i)
        sum += (i % 2 == 0 ? 1 : 3) * (digits[i] - '0');
    return sum % 10 == 0;
}
