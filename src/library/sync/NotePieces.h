#pragma once

#include "NoteMarkers.h"
#include "RenderedNote.h"

#include <list>
#include <optional>
#include <set>
#include <string>
#include <string_view>

// A note's body as a sync reads it: the user's text, and the program's blocks with their markers, each as the note
// has them, so that what is not changed is written back byte for byte.
struct NotePiece {
    std::string text; // a block's: its lines without its markers
    std::optional<BlockMarker> marker;
    std::string openingLine; // the opening marker line; an outline block's marker property line
    std::string closingLine; // empty in an outline
    NoteMarks marks = NoteMarks::Comments;
};

using Pieces = std::list<NotePiece>;

std::string LineEnd(bool crlf);

// A block's text ends its last line, so that a marker after it has a line of its own.
std::string EndingItsLine(std::string text, bool crlf);

// The pieces of a note's body. With comment markers, a block is an opening marker line, then the closing marker line
// of the same id before any other marker; an opening marker without one is broken and, like a second block of an id
// already seen, stays user text. Ids of broken blocks go to broken: the note has them, though in a shape no sync
// touches. In an outline, a block is a bullet line with the lines after it up to the next bullet line, one of them
// its marker property; every other bullet (a child block of the user's) starts a piece of user text of its own.
Pieces ReadBody(std::string_view body, NoteMarks marks, std::set<std::string>& broken);

// A block of the program, in the note's line ends.
NotePiece BlockPiece(std::string text, BlockMarker marker, NoteMarks marks, bool crlf);

// Gives a block its marker, in the line ends its marker line has.
void SetMarker(NotePiece& piece, BlockMarker marker);

// The piece as the note holds it.
void AppendPiece(std::string& text, const NotePiece& piece, bool crlf);
