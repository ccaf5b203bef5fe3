#include "EveryColorIsGrey.h"

#include <algorithm>

bool EveryColorIsGrey(const AnnotatedVolume& volume) {
    return std::ranges::all_of(volume.bookmarks, [](const AnnotatedBookmark& bookmark) {
        return bookmark.color.empty() || bookmark.color == "grey";
    });
}
