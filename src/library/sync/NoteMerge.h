#pragma once

#include "RenderedNote.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

// What a sync changed in one note, by bookmark id.
struct NoteChanges {
    std::vector<std::string> added;
    std::vector<std::string> updated;       // the reader's text, note or colour changed: the block re-rendered
    std::vector<std::string> markedDeleted; // deleted on the reader: the block's text kept between the deletion marks
    std::vector<std::string> keptAsEdited;  // changed on the reader, but the user edited the block: left as it is
    std::vector<std::string> headings;      // chapters' headings added or re-rendered (not counted as highlights)
    std::vector<std::string> heldBack;      // received before, then removed by the user: not added again
    std::vector<std::string> keptKeys;      // front matter keys whose value the user changed: left as they are
    bool frontMatterUpdated = false;

    // Whether any highlight's block changed.
    bool AnyBlock() const { return !added.empty() || !updated.empty() || !markedDeleted.empty() || !headings.empty(); }
};

struct MergedNote {
    std::string text;
    NoteChanges changes;
    std::set<std::string> blockIds; // of the program's blocks the note then holds
};

// What a sync knows of a note beyond its text (ReceivedHighlights.h).
struct NoteHistory {
    const std::set<std::string>* received = nullptr;   // the blocks it received before; none: not known
    const std::set<std::string>* fromReader = nullptr; // of those, what the database synced now gave
    bool restore = false;                              // blocks the user removed come back
};

// A book's first note: the front matter (the template's and the book's key, NoteMarkers.h), the text before the
// blocks, each highlight not deleted on the reader in its markers, the text after them.
MergedNote NewNote(const RenderedNote& rendered);

// note as the user keeps it, brought up to date with rendered: the program's front matter entries updated or added,
// new highlights put at their place in reading order (after the nearest earlier one the note has and the user's text
// after it, before the next block; else before the nearest later one, else where the blocks end), changed ones
// re-rendered in place unless the user edited them, deleted ones marked once and kept. Everything else stays byte for
// byte, in the note's own line ends; a note with nothing to change comes back as it was. The front matter entries of
// quietKeys (the date of the sync itself) are updated only along with another change, so that they tell when the note
// last changed and a sync with nothing new leaves the note as it is.
// With a history, a block the note received before and the user removed is not added again (heldBack) unless
// restored, and a block the reader does not know that this reader never gave (another reader's, or copied from
// another book's note) is left as it is rather than marked deleted.
MergedNote MergeNote(std::string_view note, const RenderedNote& rendered, const std::set<std::string>& quietKeys = {},
                     const NoteHistory& history = {});
