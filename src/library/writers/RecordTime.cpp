#include "RecordTime.h"

namespace {

bool DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (text.size() < at + count)
        return false;
    for (std::size_t i = at; i < at + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

} // namespace

std::string RecordTime(std::string_view stored) {
    // YYYY-MM-DD?HH:MM:SS, then the fraction and the zone.
    const bool dateAndTime = DigitsAt(stored, 0, 4) && stored.size() >= 19 && stored[4] == '-' &&
                             DigitsAt(stored, 5, 2) && stored[7] == '-' && DigitsAt(stored, 8, 2) &&
                             (stored[10] == 'T' || stored[10] == ' ') && DigitsAt(stored, 11, 2) && stored[13] == ':' &&
                             DigitsAt(stored, 14, 2) && stored[16] == ':' && DigitsAt(stored, 17, 2);
    if (!dateAndTime)
        return std::string(stored);
    std::string_view rest = stored.substr(19);
    std::string milliseconds = "000";
    if (rest.starts_with('.')) {
        std::size_t digits = 1;
        while (DigitsAt(rest, digits, 1))
            ++digits;
        if (digits == 1)
            return std::string(stored);
        for (std::size_t i = 1; i < digits && i <= 3; ++i)
            milliseconds[i - 1] = rest[i];
        rest.remove_prefix(digits);
    }
    if (!(rest.empty() || rest == "Z" || rest == "z" || rest == "+00:00"))
        return std::string(stored);
    std::string time(stored.substr(0, 19));
    time[10] = 'T';
    return time + "." + milliseconds + "Z";
}
