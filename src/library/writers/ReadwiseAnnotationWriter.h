#pragma once

#include "AnnotationWriter.h"

#include <string>
#include <string_view>

// The CSV that Readwise imports: the header Highlight,Title,Author,URL,Note,Location,Date, then one row per highlight
// in reading order. Readwise needs a highlighted text, so page bookmarks and drawings have no row, and neither has a
// highlight the reader deleted, which would come back to life there. The cells hold the exact texts: Readwise reads
// them, no spreadsheet, so no cell gets the CSV export's formula guard. Location is the row's number in reading
// order (1, 2, ...), Date the time the highlight was made in UTC as "2024-11-18 17:45:50". No byte-order mark, which
// would stick to the header's first name; rows end with CR LF.
class ReadwiseAnnotationWriter : public AnnotationWriter {
public:
    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;
};

// A stored date and time as Readwise reads it, "2024-11-18 17:45:50" (UTC); empty for a value of another shape.
std::string ReadwiseDate(std::string_view stored);
