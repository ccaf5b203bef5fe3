#include "MakeNumberedFileName.h"

#include "NumberedNamesRun.h"

#include <cstdio>
#include <system_error>

namespace {

// A name is taken by anything but a folder: a folder of that name does not count, and writing there then fails. A
// symbolic link is taken whatever it points to, or if it points nowhere: the name is what would be replaced.
bool IsTaken(const std::filesystem::path& name) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(name, error);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

} // namespace

std::filesystem::path MakeNumberedFileName(const std::filesystem::path& target, const std::string& extension) {
    const std::string text = target.string();
    const std::size_t slash = text.rfind('/');
    const std::size_t dot = text.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    // An extension of two parts (".readwise.csv") goes after the number whole, where the target ends in it.
    const bool endsInExtension = !extension.empty() && text.size() > extension.size() && text.ends_with(extension) &&
                                 (slash == std::string::npos || text.size() - extension.size() > slash + 1);
    const std::string base = endsInExtension ? text.substr(0, text.size() - extension.size())
                             : hasExtension  ? text.substr(0, dot)
                                             : text;
    NumberedNamesRun* run = NumberedNamesRun::Current();
    const std::string key = base + '\n' + extension;
    for (int n = run ? run->From(key) : 0; n <= 9999; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "_%04d", n);
        std::filesystem::path candidate = base + number + extension;
        if (!IsTaken(candidate)) {
            if (run)
                run->Found(key, n);
            return candidate;
        }
    }
    return {};
}
