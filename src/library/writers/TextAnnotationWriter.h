#pragma once

#include "AnnotationWriter.h"

// The annotation text file: ">>>Title: " and ">>>Author: " lines, then each bookmark as text, separator and note,
// headed by ">>>SECTION: " (and ">>>AUTHOR: ") lines wherever the part changes; every line ends with CR LF, and the
// UTF-8 byte-order mark may lead.
class TextAnnotationWriter : public AnnotationWriter {
public:
    TextAnnotationWriter(std::string separator, bool setBom) : m_separator(std::move(separator)), m_setBom(setBom) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::string m_separator;
    bool m_setBom;
};
