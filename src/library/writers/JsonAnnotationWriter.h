#pragma once

#include "AnnotationWriter.h"

#include <string>

// One JSON document per book (docs/annotations.schema.json): the book's facts, the day of the export and every
// bookmark in reading order with its whole record. Members the database leaves empty are left out, so a consumer
// never meets an empty string for a missing fact. UTF-8, indented by two spaces, ending in a line break; bytes that
// are not UTF-8 become U+FFFD.
class JsonAnnotationWriter : public AnnotationWriter {
public:
    // exported: the day written as "exported", YYYY-MM-DD; today's local date by default.
    explicit JsonAnnotationWriter(std::string exported = TodayLocalDate());

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::string m_exported;
};
