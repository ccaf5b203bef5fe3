#include "ArchiveTime.h"

#include <cstdio>
#include <system_error>

std::string ArchiveTimeText(std::chrono::system_clock::time_point instant) {
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(instant).time_since_epoch().count();
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000 - (milliseconds % 1000 < 0 ? 1 : 0));
    const long fraction = static_cast<long>(milliseconds - static_cast<long long>(seconds) * 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, fraction);
    return text;
}

std::string ArchiveTimeText(std::time_t seconds) {
    return ArchiveTimeText(std::chrono::system_clock::from_time_t(seconds));
}

std::string FileTimeText(const std::filesystem::path& file) {
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(file, error);
    if (error)
        return {};
    return ArchiveTimeText(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(modified)));
}
