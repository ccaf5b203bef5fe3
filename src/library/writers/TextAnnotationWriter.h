#pragma once

#include "AnnotationWriter.h"
#include "TMyStringList.h"

// The annotation text file: ">>>Title: " and ">>>Author: " lines, then each bookmark as text, separator and note,
// headed by ">>>SECTION: " (and ">>>AUTHOR: ") lines wherever the part changes; every line ends with CR LF, and the
// UTF-8 byte-order mark may lead.
class TextAnnotationWriter : public AnnotationWriter {
public:
    TextAnnotationWriter(std::string separator, bool setBom) : m_separator(std::move(separator)), m_setBom(setBom) {}

    std::string Render(const AnnotatedVolume& volume) const override { return Lines(volume).Text(); }

    // The file's lines, the byte-order mark in front of the first when it is set.
    TMyStringList Lines(const AnnotatedVolume& volume) const;

private:
    std::string m_separator;
    bool m_setBom;
};
