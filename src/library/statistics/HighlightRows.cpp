#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "ReaderTime.h"
#include "StatisticsRows.h"
#include "VolumeReader.h"

namespace {

enum Column : std::size_t { kId, kVolume, kText, kAnnotation, kCreated, kHidden, kType };

// Highlights and notes count; a dog-ear marks a page and says nothing. Firmware without a Type column tells them by
// their text.
bool IsHighlight(ReaderQuery& rows) {
    if (rows.Has(kType) && !rows.Text(kType).empty())
        return rows.Text(kType) != "dogear";
    return !rows.Text(kText).empty() || !rows.Text(kAnnotation).empty();
}

} // namespace

std::vector<HighlightRow> ReadHighlightRows(ReaderConnection& reader, SkippedRows& skipped) {
    ReaderQuery rows(reader, "Bookmark",
                     {"BookmarkID", "VolumeID", "Text", "Annotation", Optional("DateCreated"), Optional("Hidden"),
                      Optional("Type")});
    std::vector<HighlightRow> highlights;
    while (rows.Step()) {
        if (!IsHighlight(rows))
            continue;
        HighlightRow& row = highlights.emplace_back();
        row.bookmarkId = rows.Text(kId);
        row.volumeId = rows.Text(kVolume);
        row.deleted = IsDeletedOnReader(rows.Text(kHidden));
        const std::string_view created = rows.Text(kCreated);
        if (!IsEmptyReaderTime(created)) {
            row.created = ParseReaderTime(created);
            if (!row.created)
                ++skipped.oddDates;
        }
    }
    return highlights;
}
