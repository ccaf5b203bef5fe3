#pragma once

#include "NotesFolder.h"

#include <cstddef>
#include <string>

// What a sync did (or, in a dry run, would do) to the notes of all books, counted as the user reads it.
struct SyncTally {
    std::size_t notes = 0; // books whose note is in the folder (or is to be), without error
    std::size_t added = 0;
    std::size_t updated = 0;
    std::size_t markedDeleted = 0;
    std::size_t keptAsEdited = 0;
    std::size_t failed = 0;
    bool stopped = false; // cancelled between books: the books after them were left as they were

    void Count(const PlannedNote& note);

    // "N notes: A highlights added, U updated, D marked deleted, K kept as you edited them", and ", F failed" when any
    // did; the numbers in groups of three digits ("60,983"). The command line and the window tell it in these words.
    std::string Summary() const;
};

// What a planned note changes, for one line per book: "new note, 3 added", "1 added, 1 marked deleted, 1 kept as you
// edited it, front matter updated", or "no change".
std::string DescribeChanges(const PlannedNote& note);
