// "sync notes": the note of every listed book in the user's notes folder brought up to date, as the command line's sync
// does; also after the backup made when a reader is connected, when the options ask for it.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "ErrorDisplay.h"
#include "MessageBoxes.h"
#include "NotesSync.h"
#include "OptionsTab.h"
#include "ProgressRelay.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QLabel>
#include <QTimer>

namespace {

// How often a sync that waits for other work looks again.
constexpr int kRetryInterval = 500;

} // namespace

void TForm1::syncnotes1Click() {
    SyncNotes();
}

void TForm1::SyncNotes(const QString& before) {
    if (Volumes().Count() == 0) {
        ShowOutcome(before + "no books listed: no notes to sync");
        return;
    }
    // The folder is chosen once and remembered.
    QString folder = TabSheet4->NotesFolder();
    if (folder.isEmpty()) {
        folder = ChooseFolder(this, {"notes folder", {}, {}});
        if (folder.isEmpty())
            return;
        TabSheet4->SetNotesFolder(folder);
    }
    // A broken template set stops here, before anything is read or written.
    const std::shared_ptr<const TemplateSet> templates = TemplateSet::Named(EncodeUtf8(TabSheet4->NoteTemplate()));
    const NotesSyncRequest request{.templates = *templates, .reading = SyncReading(TabSheet4->Reading())};
    SyncTally tally;
    std::vector<PlannedNote> failed;
    Reported(before + "sync failed", [&] {
        m_runner->Run([&](ProgressRelay& progress) {
            NotesFolder notes(ToPath(folder)); // waits for another sync or export into the folder
            tally = SyncAllNotes(*m_library, notes, request, progress, [&](const PlannedNote& planned) {
                if (planned.Failed())
                    failed.push_back(planned);
            });
        });
    });
    if (m_runner->ClosedWhileBusy())
        return;
    QString outcome = before + DecodeUtf8(tally.Summary());
    if (tally.stopped)
        outcome += "; cancelled, the other notes were left alone";
    ShowOutcome(outcome);
    TntLabel6->setToolTip(folder);
    OfferWritten({}, folder);
    if (failed.empty())
        return;
    // One line a book, with what kept its note as it was.
    QString text = "something went wrong!\n\nThese books' notes were not synced:";
    for (const PlannedNote& note : failed)
        text += "\n" + DecodeUtf8(note.volumeId) + ": " + ErrorBoxText(DecodeUtf8(note.error)).replace('\n', ' ');
    ShowMessageBox(this, {MessageBoxRequest::Icon::None, "Marvik text extractor info", text});
}

void TForm1::SyncAfterConnect(const QString& before) {
    if (TabSheet4->NotesFolder().isEmpty()) {
        ShowOutcome(before + "notes not synced: choose a notes folder on the options tab");
        return;
    }
    // A load or an export runs: the sync follows it.
    if (m_runner->Busy()) {
        QTimer::singleShot(kRetryInterval, this, [this, before] { Guarded([&] { SyncAfterConnect(before); }); });
        return;
    }
    // Another database the user loaded stays loaded: the status offers the reader's, and the sync waits for it.
    if (!Loaded() || DatabasePath() != ReaderDatabasePath) {
        ShowOutcome(before + "notes not synced: the reader's database is not the one loaded");
        return;
    }
    SyncNotes(before);
}
