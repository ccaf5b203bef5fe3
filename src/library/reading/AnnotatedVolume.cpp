#include "AnnotatedVolume.h"

#include <charconv>
#include <cmath>

std::optional<double> AnnotatedVolume::PositionOf(const AnnotatedBookmark& bookmark) const {
    const PartFacts& part = PartOf(bookmark);
    if (!part.startPercent || !part.sizePercent || *part.sizePercent <= 0 || !bookmark.chapterProgress)
        return std::nullopt;
    // A progress the reader never wrote (infinite, negative, far past its part) is no place in the book.
    const double position = *part.startPercent + *bookmark.chapterProgress * *part.sizePercent;
    if (!std::isfinite(position) || position < 0 || position > 100)
        return std::nullopt;
    return position;
}

std::string AnnotatedVolume::PositionText(const AnnotatedBookmark& bookmark) const {
    const std::optional<double> position = PositionOf(bookmark);
    if (!position)
        return {};
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, *position, std::chars_format::fixed, 1);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::string BookFileName(const std::string& volumeId) {
    const std::size_t slash = volumeId.rfind('/');
    return slash == std::string::npos ? volumeId : volumeId.substr(slash + 1);
}
