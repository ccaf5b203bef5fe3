#pragma once

#include "AnnotationWriter.h"

#include <string>
#include <string_view>

// The annotation file in Markdown (CommonMark), UTF-8 with LF line ends and no byte-order mark: YAML front matter
// (markdown::FrontMatter), the title as the level-1 heading with the author and the book's publisher, ISBN (or
// identifier, where the stored value is no ISBN) and language under it, a heading wherever the part changes, at the
// level its depth in the table of contents gives (level 2 for the top), and each bookmark as a block quote of its
// text, its block id ("^" and BlockId), its note as a paragraph and a line of its position, colour and date (as
// RecordTime gives it). Nothing a book holds can turn into Markdown syntax, nor into the marks, comments, links, tags
// and block ids of note-taking programs: the characters that could start or form them are escaped with backslashes.
class MarkdownAnnotationWriter : public AnnotationWriter {
public:
    // exportDate: what the front matter gives as the date, YYYY-MM-DD; today's local date unless given.
    explicit MarkdownAnnotationWriter(std::string exportDate = TodayLocalDate())
        : m_exportDate(std::move(exportDate)) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::string m_exportDate;
};
