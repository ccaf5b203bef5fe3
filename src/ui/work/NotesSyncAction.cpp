#include "NotesSyncAction.h"

#include "BackgroundRunner.h"
#include "ErrorDisplay.h"
#include "MessageBoxes.h"
#include "NotesSync.h"
#include "OptionsTab.h"
#include "ProgressRelay.h"
#include "StatusLine.h"
#include "Utf8Text.h"

#include <QTimer>
#include <QWidget>

#include <vector>

namespace {

// How often a sync that waits for other work looks again.
constexpr int kRetryInterval = 500;

} // namespace

NotesSyncAction::NotesSyncAction(QWidget& window, BackgroundRunner& runner, StatusLine& status, OptionsTab& options,
                                 std::function<bool()> readerLoaded)
    : QObject(&window), m_window(window), m_runner(runner), m_status(status), m_options(options),
      m_readerLoaded(std::move(readerLoaded)) {}

void NotesSyncAction::SyncNotes(const QString& before) {
    // Held for the whole sync: the window may take another library only once it ends.
    const std::shared_ptr<const ReaderLibrary> library = m_library;
    if (library->Index().Volumes.Count() == 0) {
        m_status.ShowOutcome(before + "no books listed: no notes to sync");
        return;
    }
    // The folder is chosen once and remembered.
    QString folder = m_options.NotesFolder();
    if (folder.isEmpty()) {
        folder = ChooseFolder(&m_window, {"notes folder", {}, {}});
        if (folder.isEmpty())
            return;
        m_options.SetNotesFolder(folder);
    }
    // A broken template set stops here, before anything is read or written.
    const std::shared_ptr<const TemplateSet> templates = TemplateSet::Named(EncodeUtf8(m_options.NoteTemplate()));
    const NotesSyncRequest request{.templates = *templates, .reading = SyncReading(m_options.Reading())};
    SyncTally tally;
    std::vector<PlannedNote> failed;
    m_status.Reported(before + "sync failed", [&] {
        m_runner.Run([&](ProgressRelay& progress) {
            NotesFolder notes(ToPath(folder)); // waits for another sync or export into the folder
            tally = SyncAllNotes(*library, notes, request, progress, [&](const PlannedNote& planned) {
                if (planned.Failed())
                    failed.push_back(planned);
            });
        });
    });
    if (m_runner.ClosedWhileBusy())
        return;
    QString outcome = before + DecodeUtf8(tally.Summary());
    if (tally.stopped)
        outcome += "; cancelled, the other notes were left alone";
    m_status.ShowOutcome(outcome);
    m_status.OfferWritten({}, folder);
    if (failed.empty())
        return;
    // One line a book, with what kept its note as it was.
    QString text = "something went wrong!\n\nThese books' notes were not synced:";
    for (const PlannedNote& note : failed)
        text += "\n" + DecodeUtf8(note.volumeId) + ": " + ErrorBoxText(DecodeUtf8(note.error)).replace('\n', ' ');
    ShowMessageBox(&m_window, {MessageBoxRequest::Icon::None, "Marvik text extractor info", text});
}

void NotesSyncAction::SyncAfterConnect(const QString& before) {
    if (m_options.NotesFolder().isEmpty()) {
        m_status.ShowOutcome(before + "notes not synced: choose a notes folder on the options tab");
        return;
    }
    // A load or an export runs: the sync follows it.
    if (m_runner.Busy()) {
        QTimer::singleShot(kRetryInterval, this,
                           [this, before] { RunGuarded(&m_window, [&] { SyncAfterConnect(before); }); });
        return;
    }
    // Another database the user loaded stays loaded: the status offers the reader's, and the sync waits for it.
    if (!m_readerLoaded()) {
        m_status.ShowOutcome(before + "notes not synced: the reader's database is not the one loaded");
        return;
    }
    SyncNotes(before);
}
