#include "ClippingsBook.h"

#include "OrderWhereKnown.h"

#include <algorithm>

namespace {

bool Overlap(const ClippingMeta& a, const ClippingMeta& b) {
    if (a.locationStart && b.locationStart)
        return *a.locationStart <= *b.locationEnd && *b.locationStart <= *a.locationEnd;
    // Without locations (a PDF's clippings) only the page tells.
    return !a.locationStart && !b.locationStart && a.page && a.page == b.page;
}

bool Holds(const std::string& longer, const std::string& shorter) {
    return longer.find(shorter) != std::string::npos;
}

// The later highlight of the two, where one holds the other's text: the longest text, the latest date.
void Merge(ClippingsBookmark& kept, const ClippingsBookmark& other) {
    const std::string latest = std::max(kept.meta.added, other.meta.added);
    if (other.text.size() > kept.text.size()) {
        kept.text = other.text;
        kept.meta = other.meta;
    }
    kept.meta.added = latest;
}

std::partial_ordering InBookOrder(const ClippingsBookmark& a, const ClippingsBookmark& b) {
    if (a.meta.locationStart && b.meta.locationStart)
        return *a.meta.locationStart <=> *b.meta.locationStart;
    if (a.meta.page && b.meta.page)
        return *a.meta.page <=> *b.meta.page;
    return std::partial_ordering::unordered;
}

// The highlight that a note at its place belongs to: the latest in the file that ends there, else one that spans it.
ClippingsBookmark* HolderOf(std::vector<ClippingsBookmark>& highlights, const ClippingMeta& note) {
    ClippingsBookmark* spanning = nullptr;
    for (auto it = highlights.rbegin(); it != highlights.rend(); ++it) {
        if (it->kind != ClippingKind::Highlight)
            continue;
        const ClippingMeta& meta = it->meta;
        if (note.locationStart && meta.locationStart) {
            if (*meta.locationEnd == *note.locationStart)
                return &*it;
            if (!spanning && *meta.locationStart <= *note.locationStart && *note.locationStart <= *meta.locationEnd)
                spanning = &*it;
        } else if (!note.locationStart && !meta.locationStart && note.page && note.page == meta.page && !spanning) {
            spanning = &*it;
        }
    }
    return spanning;
}

} // namespace

std::vector<ClippingsBookmark> BookmarksOfClippings(std::vector<Clipping> clippings) {
    std::vector<ClippingsBookmark> kept; // highlights and bookmarks, in file order
    std::vector<const Clipping*> notes;
    for (Clipping& clipping : clippings) {
        if (clipping.meta.kind == ClippingKind::Note) {
            notes.push_back(&clipping);
            continue;
        }
        ClippingsBookmark bookmark{clipping.meta.kind, std::move(clipping.text), {}, clipping.meta};
        if (bookmark.kind == ClippingKind::Highlight) {
            const auto same = std::find_if(kept.begin(), kept.end(), [&](const ClippingsBookmark& earlier) {
                return earlier.kind == ClippingKind::Highlight && Overlap(earlier.meta, bookmark.meta) &&
                       (Holds(earlier.text, bookmark.text) || Holds(bookmark.text, earlier.text));
            });
            if (same != kept.end()) {
                Merge(*same, bookmark);
                continue;
            }
        }
        kept.push_back(std::move(bookmark));
    }
    std::vector<ClippingsBookmark> loose;
    for (const Clipping* note : notes) {
        if (ClippingsBookmark* holder = HolderOf(kept, note->meta)) {
            if (!holder->note.empty())
                holder->note += '\n';
            holder->note += note->text;
            continue;
        }
        loose.push_back({ClippingKind::Note, {}, note->text, note->meta});
    }
    // A loose note takes its place by its location, among the others.
    for (ClippingsBookmark& note : loose)
        kept.push_back(std::move(note));
    OrderWhereKnown(kept, InBookOrder);
    return kept;
}
