#pragma once

#include "AnnotationWriter.h"

// The annotations as one table for spreadsheets and scripts (RFC 4180): a header row, then one row per bookmark in
// reading order, each with its book's and its part's facts. Every row ends with CR LF; the UTF-8 byte-order mark may
// lead, which spreadsheet programs need to read the file as UTF-8. A cell a spreadsheet would evaluate has an
// apostrophe in front; dates are in one form (RecordTime.h).
class CsvAnnotationWriter : public AnnotationWriter {
public:
    explicit CsvAnnotationWriter(bool setBom) : m_setBom(setBom) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    bool m_setBom;
};
