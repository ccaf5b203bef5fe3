#pragma once

#include "AnnotationWriter.h"

#include <string>
#include <string_view>

// A Kindle's "My Clippings.txt", so that the tools made for a Kindle's clippings read the highlights: each highlight,
// note and page bookmark an entry of its own, as a Kindle writes it (its title line "Title (Author)", a line
// "- Your Highlight on Location 12-14 | Added on Monday, November 18, 2024 5:45:50 PM", a blank line, the text, and a
// line of ten "="), every line ending with CR LF, each entry led by the UTF-8 byte-order mark where asked for. A note
// is a "Your Note" entry at the end of its highlight's location. A reader keeps no print pages and no Kindle
// locations: the locations are numbers in reading order, about one a 150 bytes of text as a Kindle counts them, no two
// highlights sharing one. A file of many books is their entries one after the other. Deleted highlights are left out.
//
// A run of ten "=" would end an entry wherever it stood: in a text, a note or a title such a run has a zero-width
// space after each ninth "=".
class ClippingsAnnotationWriter : public AnnotationWriter {
public:
    explicit ClippingsAnnotationWriter(bool setBom) : m_setBom(setBom) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    bool m_setBom;
};

// The book's title line: "Title (Author)", the author's parentheses balanced so that the last pair holds the author;
// "Title ()" where a title that ends in parentheses has no author, which would otherwise be read as its author.
std::string ClippingsTitleLine(const AnnotatedVolume& volume);

// A stored date (as RecordTime reads it, in UTC) in the local time as a Kindle writes it: "Monday, November 18, 2024
// 5:45:50 PM"; empty for a value of any other shape.
std::string KindleAddedOn(std::string_view stored);
