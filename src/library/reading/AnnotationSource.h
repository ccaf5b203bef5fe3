#pragma once

#include "AnnotatedVolume.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"
#include "ReadingOptions.h"

#include <optional>
#include <string>

// Where highlights come from: a reader's database, the archive of every highlight ever seen, or another reader's
// files. Each fills the same model (the index of books, and one volume's bookmarks in reading order), so that
// everything after the reading (the writers, the notes, the overview, the statistics) does not ask where it came from.
class AnnotationSource {
public:
    AnnotationSource() = default;
    virtual ~AnnotationSource() = default;
    AnnotationSource(const AnnotationSource&) = delete;
    AnnotationSource& operator=(const AnnotationSource&) = delete;

    // The books that carry bookmarks, with their titles and authors.
    virtual const LibraryIndex& Index() const = 0;
    // Whether the source holds any bookmark of the volume, deleted ones included: an id that names none is unknown.
    virtual bool HasBookmarks(const std::string& volumeId) const = 0;
    // One volume's book facts and bookmarks in reading order, each volume carrying the source's facts; nothing when
    // the source's file is gone. Errors of the reading go on to the caller.
    virtual std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                                      ProgressReporter& progress) const = 0;
    // What the source is, for messages and for what the notes remember of where a highlight came from.
    virtual SourceFacts Facts() const = 0;
};
