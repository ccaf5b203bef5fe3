#pragma once

#include "AnnotatedVolume.h"

#include <string>
#include <string_view>

// What the Markdown export says of a book and of each bookmark besides their texts, for its writer and its templates
// alike.
namespace markdown {

// The book's publisher, ISBN (or identifier, where the stored value is no ISBN) and language, joined by " · ".
std::string BookFacts(const AnnotatedVolume& volume);

// What a bookmark without a quote of its own is called on its line of facts: "Page bookmark" (at its position), a
// drawing's label, or "Bookmark without text"; empty for a highlight.
std::string BookmarkLabel(const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark);

// "gone from the reader, last seen 2024-11-18T17:45:50.886Z" for a bookmark read from the archive that its reader
// lost; empty for any other.
std::string GoneText(const AnnotatedBookmark& bookmark);

// The marks of a part's heading, after its depth in the table of contents: "##" for the top, "###" under it, down to
// "######", the deepest heading Markdown has.
std::string_view HeadingMarks(const PartFacts& part);

// The line of facts of a bookmark, as Markdown without its emphasis: its label, position in percent, colour (left out
// where colorsSayNothing), date, "deleted on the reader" and its gone mark (GoneText), those there joined by " · ".
// Empty where none is.
std::string FactLine(const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark, bool colorsSayNothing);

} // namespace markdown
