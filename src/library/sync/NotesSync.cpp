#include "NotesSync.h"

#include "AnnotationWriter.h"
#include "BookFile.h"
#include "CoverAttachment.h"
#include "NumberedNamesRun.h"
#include "VolumesAhead.h"

#include <map>
#include <memory>
#include <stdexcept>

ReadingOptions SyncReading(ReadingOptions options) {
    options.wholeRecords = true;
    options.skipDeletedHighlights = false;
    return options;
}

SyncTally SyncAllNotes(const AnnotationSource& library, NotesFolder& folder, const NotesSyncRequest& request,
                       ProgressReporter& progress, const std::function<void(const PlannedNote&)>& told) {
    const std::string today = TodayLocalDate();
    const std::vector<std::string>& volumes = library.Index().Volumes.Entries();
    SyncTally tally;
    const NumberedNamesRun numbering;                                    // notes of one name each take the next number
    std::map<std::string, std::shared_ptr<const TemplateSet>> namedSets; // the sets the notes name, each read once
    const auto templatesOf = [&](const std::string& volumeId) -> const TemplateSet& {
        const std::string name = request.retemplate ? std::string() : folder.TemplateSetOf(volumeId);
        if (name.empty() || name == request.templates.Name())
            return request.templates;
        std::shared_ptr<const TemplateSet>& set = namedSets[name];
        if (!set) {
            try {
                set = TemplateSet::Named(name);
            } catch (const std::exception& error) {
                namedSets.erase(name);
                throw std::runtime_error("The note's template set \"" + name + "\" cannot be used (" + error.what() +
                                         "): sync with --template and --retemplate to render it with another.");
            }
        }
        return *set;
    };
    folder.SetReader(ReaderIdentity(library.Facts().path));
    // Covers come from the reader's own volume, where the database read is the one on it.
    const std::optional<std::filesystem::path> volumeRoot =
        library.Facts().kind == SourceKind::ReaderDatabase ? ReaderVolumeOf(library.Facts().path) : std::nullopt;
    for (const std::string& passedOver : folder.PassedOver())
        progress.Warn(passedOver);
    progress.SetStatus("syncing notes");
    progress.StartProgress(volumes.size());
    {
        VolumesAhead reading(library, volumes, request.reading, progress);
        for (const std::string& volumeId : volumes) {
            std::optional<VolumesAhead::Book> book;
            if (!progress.StopRequested())
                book = reading.Next();
            if (!book) {
                tally.stopped = true;
                break;
            }
            for (const std::string& warning : book->warnings)
                progress.Warn(warning);
            PlannedNote planned;
            try {
                if (!book->error.empty())
                    throw std::runtime_error(book->error);
                if (!book->volume)
                    throw std::runtime_error("database file not found: " + library.Facts().path.string());
                AnnotatedVolume& volume = *book->volume;
                if (volumeRoot)
                    AttachBookCover(*volumeRoot, folder.Path(), volume, !request.dryRun, progress);
                const TemplateSet& templates = templatesOf(volumeId);
                planned = folder.Plan([&](std::string_view day) { return templates.Render(volume, day); }, today);
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
    }
    if (!request.dryRun) {
        try {
            folder.SaveReceived();
        } catch (const std::exception& error) {
            progress.Warn(std::string(error.what()) +
                          " The notes are written; a block removed from one of them may come back at the next sync.");
        }
    }
    progress.ResetProgress();
    progress.SetStatus("");
    return tally;
}
