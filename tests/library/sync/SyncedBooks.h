#pragma once

#include "NoteMarkers.h"
#include "RenderedNote.h"

#include <string>
#include <utility>
#include <vector>

// Two books' notes as a template renders them, for the sync's tests.
namespace synced {

// A volume id with characters that YAML has to quote.
inline const std::string kVoyage = "file:///mnt/onboard/Ann Writer/Voyage \"2\".kepub.epub";
inline const std::string kTides = "file:///mnt/onboard/Tides.epub";

inline RenderedBlock Highlight(const std::string& id, const std::string& text, bool deleted = false) {
    return {id, "> " + text + "\n\n", deleted};
}

inline RenderedNote Voyage(std::vector<RenderedBlock> blocks, const std::string& progress = "42",
                           const std::string& moreFacts = "") {
    RenderedNote note;
    note.volumeId = kVoyage;
    note.name = "Voyage - Ann Writer";
    note.frontMatter = "title: \"Voyage\"\nprogress: " + progress + "\n" + moreFacts;
    note.beforeBlocks = "# Voyage\n\n";
    note.blocks = std::move(blocks);
    note.afterBlocks = "\n*Synced from the reader.*\n";
    note.deletedBefore = "<del>\n";
    note.deletedAfter = "</del>\n";
    return note;
}

inline RenderedNote Tides(std::vector<RenderedBlock> blocks) {
    RenderedNote note = Voyage(std::move(blocks));
    note.volumeId = kTides;
    note.name = "Tides - Bo Sailor";
    note.frontMatter = "title: \"Tides\"\n";
    note.beforeBlocks = "# Tides\n\n";
    return note;
}

// A block as a note holds it while the user leaves it alone.
inline std::string Block(const std::string& id, const std::string& text, bool deleted = false) {
    return OpeningMarker({id, BlockHash(text), deleted}) + "\n" + text + ClosingMarker(id) + "\n";
}

inline std::string Block(const RenderedBlock& block) {
    return Block(block.bookmarkId, block.text);
}

} // namespace synced
