#include "NotesSync.h"

#include "AnnotationWriter.h"

#include <stdexcept>

namespace {

// Passes on what a book's reading warns of and whether to stop; its own progress would fight the count of books.
class BookReadingProgress : public SilentProgress {
public:
    explicit BookReadingProgress(ProgressReporter& books) : m_books(books) {}
    void Warn(const std::string& text) override { m_books.Warn(text); }
    bool StopRequested() const override { return m_books.StopRequested(); }

private:
    ProgressReporter& m_books;
};

} // namespace

ReadingOptions SyncReading(ReadingOptions options) {
    options.wholeRecords = true;
    options.skipDeletedHighlights = false;
    return options;
}

SyncTally SyncAllNotes(const ReaderLibrary& library, NotesFolder& folder, const NotesSyncRequest& request,
                       ProgressReporter& progress, const std::function<void(const PlannedNote&)>& told) {
    const std::string today = TodayLocalDate();
    const std::vector<std::string>& volumes = library.Index().Volumes.Entries();
    SyncTally tally;
    progress.SetStatus("syncing notes");
    progress.StartProgress(volumes.size());
    BookReadingProgress reading(progress);
    for (const std::string& volumeId : volumes) {
        if (progress.StopRequested()) {
            tally.stopped = true;
            break;
        }
        PlannedNote planned;
        try {
            const std::optional<AnnotatedVolume> volume = library.ReadVolume(volumeId, request.reading, reading);
            if (!volume)
                throw std::runtime_error("database file not found: " + library.DatabasePath().string());
            planned = folder.Plan([&](std::string_view day) { return request.templates.Render(*volume, day); }, today);
        } catch (const std::exception& error) {
            planned = {};
            planned.volumeId = volumeId;
            planned.error = error.what();
        }
        if (!request.dryRun)
            folder.Write(planned);
        tally.Count(planned);
        told(planned);
        progress.StepProgress();
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return tally;
}
