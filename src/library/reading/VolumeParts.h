#pragma once

#include "AnnotatedVolume.h"
#include "ReadingOptions.h"

#include <string>
#include <string_view>
#include <vector>

class ChapterTitles;
class ReaderConnection;

// One part of a volume as its content row describes it, with what ordering its bookmarks needs of it.
struct PartRow {
    PartFacts facts;
    std::string volumeIndex;
    bool spineFile = false; // ContentType '9': in a kepub book, its Title is only the file's path
    std::string bookId;
};

// The parts that a volume's bookmarks name, one for each ContentID given, in that order, each described by the content
// row of that ContentID (PartFacts::found false where there is none), a kepub book's spine files titled from its table
// of contents where options say so (from chapterTitles where the caller has read them, else from the database).
//
// The volume's own rows (its BookID) are read in one query, which also brings a kepub book's table of contents; a part
// among them needs no query of its own. The others, and every part where the database is read without its indexes or
// may hold two rows of one ContentID, are read one query each.
std::vector<PartRow> ReadVolumeParts(ReaderConnection& reader, const std::string& volumeId,
                                     const std::vector<std::string_view>& contentIds, const ReadingOptions& options,
                                     const ChapterTitles* chapterTitles);
