#pragma once

#include "AnnotatedVolume.h"
#include "LibraryIndex.h"
#include "ProgressReporter.h"
#include "ReadingOptions.h"

#include <optional>
#include <string>
#include <vector>

// What a reading of many volumes hands on, one volume at a time, in the order asked.
class VolumeReceiver {
public:
    virtual ~VolumeReceiver() = default;
    // The reading starts, or starts again (the database changed while it was read): what was handed on is void.
    virtual void Restart() = 0;
    virtual void Take(const std::string& volumeId, AnnotatedVolume&& volume) = 0;
    // The volume could not be read, for reason; the others are read all the same.
    virtual void Unread(const std::string& volumeId, const std::string& reason) = 0;
};

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
    // the source's file is gone. Errors of the reading go on to the caller. The reading tells its status and steps
    // through progress, and leaves them for the caller to end.
    virtual std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                                      ProgressReporter& progress) const = 0;
    // Reads the volumes one after the other into receiver, with one progress across all their bookmarks (status
    // "extracting annotations"), until progress asks to stop; false when the source's file is gone. A volume that
    // cannot be read keeps none of the others from being read. By default each is read by ReadVolume; a source that
    // can read many at once more cheaply does so.
    virtual bool ReadVolumes(const std::vector<std::string>& volumeIds, const ReadingOptions& options,
                             ProgressReporter& progress, VolumeReceiver& receiver) const;
    // What the source is, for messages and for what the notes remember of where a highlight came from.
    virtual SourceFacts Facts() const = 0;
};

// Lets the readings of many books move one progress bar: their own statuses, starts and resets are not passed on.
class SharedProgress : public ProgressReporter {
public:
    explicit SharedProgress(ProgressReporter& outer) : m_outer(outer) {}
    void SetStatus(const std::string&) override {}
    void StartProgress(std::size_t) override {}
    void StepProgress() override { m_outer.StepProgress(); }
    void ResetProgress() override {}
    void Warn(const std::string& text) override { m_outer.Warn(text); }
    bool StopRequested() const override { return m_outer.StopRequested(); }

private:
    ProgressReporter& m_outer;
};
