#pragma once

#include "AnnotationWriter.h"

#include <string>
#include <string_view>

// The annotation file in Markdown (CommonMark), UTF-8 with LF line ends and no byte-order mark: YAML front matter
// (title, author and the export date, each a double-quoted string), the title as the level-1 heading with the author
// and the book's publisher, ISBN (or identifier, where the stored value is no ISBN) and language under it, a level-2
// heading wherever the part changes, and each bookmark as a block quote of its text, its note as a paragraph and a line
// of its position, colour and date. Nothing a book holds can turn into Markdown syntax: the characters that could start
// or form it are escaped with backslashes.
class MarkdownAnnotationWriter : public AnnotationWriter {
public:
    // exportDate: what the front matter gives as the date, YYYY-MM-DD; today's local date unless given.
    explicit MarkdownAnnotationWriter(std::string exportDate = TodayLocalDate())
        : m_exportDate(std::move(exportDate)) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::string m_exportDate;
};

namespace markdown {

// The text as a double-quoted YAML string: "\" and the quote escaped, control characters, the YAML line breaks
// U+0085, U+2028 and U+2029 as escapes, and bytes that are no UTF-8 as U+FFFD.
std::string YamlQuoted(std::string_view text);

} // namespace markdown
