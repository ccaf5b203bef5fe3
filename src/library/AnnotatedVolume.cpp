#include "AnnotatedVolume.h"

std::optional<double> AnnotatedVolume::PositionOf(const AnnotatedBookmark& bookmark) const {
    const PartFacts& part = PartOf(bookmark);
    if (!part.startPercent || !part.sizePercent || *part.sizePercent <= 0 || !bookmark.chapterProgress)
        return std::nullopt;
    return *part.startPercent + *bookmark.chapterProgress * *part.sizePercent;
}
