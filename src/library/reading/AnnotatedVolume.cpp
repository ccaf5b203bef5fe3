#include "AnnotatedVolume.h"

#include <charconv>
#include <cmath>

// How readers record where a bookmark is, as found in real databases of current firmware:
// - kepubs: each spine file's content row (ContentType 9) holds where it starts in the book and how much of it it is,
//   in percent (___FileOffset, ___FileSize: 1 and 6 for a translator's introduction two percent in), and
//   ChapterProgress is the place within that file (0.25 there, the book's ___PercentRead 2).
// - plain EPUBs: the rows the bookmarks name are table-of-contents entries ("book.epub#(17)text/c16.xhtml#h18") whose
//   ___FileOffset and ___FileSize are 0, and ChapterProgress climbs across the whole book: 0.01, 0.48, 0.86 and 1.0
//   over the six files of a book with one entry, read to 99 %; 0.02 in entry 1 and 0.43 in entry 17 of another. It is
//   the place in the book.
// - PDFs: no database at hand holds a bookmark in one, so they get a position only as their parts record one.
std::optional<double> AnnotatedVolume::PositionOf(const AnnotatedBookmark& bookmark) const {
    const PartFacts& part = PartOf(bookmark);
    if (!bookmark.chapterProgress)
        return std::nullopt;
    const bool partKnown = part.startPercent && part.sizePercent && *part.sizePercent > 0;
    if (!partKnown && !progressInBook)
        return std::nullopt;
    // A progress the reader never wrote (infinite, negative, far past its part) is no place in the book.
    const double position = partKnown ? *part.startPercent + *bookmark.chapterProgress * *part.sizePercent
                                      : *bookmark.chapterProgress * 100.0;
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
