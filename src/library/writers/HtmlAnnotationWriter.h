#pragma once

#include "AnnotationWriter.h"

#include <string>

// One self-contained HTML page per book, to read in a browser or print: the title, author and the book's facts
// (its collections, rating and read status where the reader keeps them), a heading wherever the part changes (at the
// level its depth in the table of contents gives), and each bookmark with its text as a quote in its colour, its note
// and a line of its label, position and date. Every text of the book is escaped, whatever it holds; the page has no
// script and names nothing outside itself (a drawing is named, its picture is not shown).
class HtmlAnnotationWriter : public AnnotationWriter {
public:
    // exportDate: the day the page says it was made, YYYY-MM-DD; today's local date unless given.
    explicit HtmlAnnotationWriter(std::string exportDate = TodayLocalDate()) : m_exportDate(std::move(exportDate)) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::string m_exportDate;
};
