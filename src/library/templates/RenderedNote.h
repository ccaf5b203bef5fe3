#pragma once

#include <string>
#include <string_view>
#include <vector>

// The id of a chapter's heading block: its part's ContentID after this, so that no bookmark's id is one.
inline constexpr std::string_view kChapterHeadingId = "chapter:";

inline bool IsChapterHeading(std::string_view blockId) {
    return blockId.starts_with(kChapterHeadingId);
}

// One highlight (or note, dogear, drawing) of a book as its template renders it, without the markers a notes folder
// keeps around it; or the heading of a chapter, a block of its own before the chapter's first, so that it is found
// again like a highlight and each chapter has one, whichever of its highlights come and go.
struct RenderedBlock {
    std::string bookmarkId; // finds the block again in a note, whatever its text; a heading's is kChapterHeadingId...
    std::string text;       // LF line ends
    bool deletedOnReader = false; // a heading: every bookmark of its chapter was deleted
};

// How a note keeps the program's marks (NoteMarkers.h): HTML comment lines around each block and a YAML front
// matter, which Markdown shows nothing of; or, for an outline (Logseq), a property of each block and of the page,
// so that no line stands between the outline's blocks.
enum class NoteMarks : char { Comments, Properties };

// A book's note as a template set renders it, in the pieces that a sync merges one by one into the note that is
// already there. Every text has LF line ends.
struct RenderedNote {
    std::string volumeId;
    std::string name;        // from the note-name template, not yet made safe for a file name
    std::string frontMatter; // the YAML lines the program owns, without the "---" fences; may be empty
    std::string beforeBlocks;
    std::vector<RenderedBlock> blocks; // in reading order
    std::string afterBlocks;
    // What a block of a highlight that the reader deleted gets before and after its kept text.
    std::string deletedBefore;
    std::string deletedAfter;
    NoteMarks marks = NoteMarks::Comments;
    std::string templateSet; // the set's name, which the note keeps so that later syncs render it with the same
};
