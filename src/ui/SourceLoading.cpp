// Libraries of any reader's files (Kobo databases, KOReader's sidecars, a Kindle's clippings, several as one) and the
// archive of every highlight ever seen, loaded in place of a database; what only a Kobo database has is offered only
// with one.
#include "TForm1.h"

#include "ArchivePath.h"
#include "ArchiveReading.h"
#include "ArchiveSource.h"
#include "BookListTab.h"
#include "DatabaseFileWatch.h"
#include "LibraryTab.h"
#include "OptionsTab.h"
#include "ReadingStatsTab.h"
#include "SavedWordsTab.h"
#include "SourceOverview.h"
#include "StatusLine.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>

#include <algorithm>
#include <exception>

namespace {

QString Names(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    return names.join(", ");
}

} // namespace

bool TForm1::LoadPaths(const QStringList& paths) {
    // What holds no reader's highlights among several is left out, and told.
    QStringList sources, leftOut;
    for (const QString& path : paths)
        (KindsOfSourcePath(ToPath(path)).empty() ? leftOut : sources) << path;
    if (paths.size() > 1 && !sources.isEmpty() && !leftOut.isEmpty()) {
        const bool loaded = LoadPaths(sources);
        if (loaded)
            m_status->ShowOutcome(TntLabel6->text() + "; left out, no reader's highlights: " + Names(leftOut));
        return loaded;
    }
    if (paths.size() == 1) {
        const QString& path = paths.front();
        const std::vector<SourcePathKind> kinds = KindsOfSourcePath(ToPath(path));
        // A file of no reader is read as a database, whose error tells best what it is not.
        if (kinds.empty() || (kinds == std::vector{SourcePathKind::ReaderDatabase} && QFileInfo(path).isFile()))
            return LoadDatabase(path);
        if (kinds == std::vector{SourcePathKind::ReaderDatabase})
            return LoadDatabase(FromPath(ToPath(path) / ".kobo" / "KoboReader.sqlite"));
    }
    return LoadSources(paths);
}

bool TForm1::LoadSources(const QStringList& paths) {
    const ReadingOptions options = TabSheet4->Reading();
    std::vector<std::filesystem::path> files;
    for (const QString& path : paths)
        files.push_back(ToPath(path));
    return LoadLibrary(
        [files, options](ProgressReporter& progress, std::optional<LibraryOverview>& overview) {
            std::shared_ptr<LoadedLibrary> library = LoadedLibrary::OpenPaths(files, progress, options);
            overview = ReadSourceOverview(*library, options, progress);
            return library;
        },
        "could not open " + Names(paths), "library: " + paths.join(", "), paths);
}

void TForm1::showArchiveClick() {
    const ReadingOptions options = ArchiveReadingOptions(TabSheet4->Reading());
    const std::filesystem::path archive = DefaultArchivePath(UserDataFolder());
    const bool shown = LoadLibrary(
        [archive, options](ProgressReporter& progress, std::optional<LibraryOverview>& overview) {
            auto reading = std::make_shared<const ArchiveReading>(archive, false, progress);
            auto library =
                std::make_shared<LoadedLibrary>(std::make_shared<const ArchiveSource>(reading, progress), nullptr);
            overview = ReadSourceOverview(*library, options, progress);
            return library;
        },
        "could not open the archive", "archive: " + FromPath(archive), {});
    if (!shown)
        return;
    const LibraryOverview* overview = LibraryPage->Overview();
    const std::size_t all = overview ? overview->highlights.size() : 0;
    const std::size_t gone = overview
                                 ? std::size_t(std::count_if(overview->highlights.begin(), overview->highlights.end(),
                                                             [](const OverviewHighlight& h) { return h.gone; }))
                                 : 0;
    m_status->ShowOutcome("archive shown: " + Counted(Volumes().Count(), "book", "books") + ", " +
                          Counted(all, "highlight", "highlights") + ", " + Grouped(gone) +
                          " of them gone from the reader");
}

bool TForm1::LoadLibrary(const LibraryReading& read, const QString& failed, const QString& caption,
                         const QStringList& paths) {
    std::shared_ptr<LoadedLibrary> next;
    std::optional<LibraryOverview> overview;
    std::exception_ptr failure;
    LibraryPage->PauseSearch();
    const auto resumeSearch = qScopeGuard([this] { LibraryPage->ResumeSearch(); });
    if (ReadCancellably([&](ProgressReporter& progress) { next = read(progress, overview); }, failure))
        return false;
    if (failure || !overview) {
        // The library that was loaded stays as it was.
        m_status->ShowOutcome(failed);
        if (failure)
            std::rethrow_exception(failure);
        return false;
    }
    for (BookListTab* tab : ListTabs())
        tab->ClearRows();
    LibraryPage->ShowOverview(nullptr);
    loadReaderButton->hide();
    m_library = std::move(next);
    m_loaded = true;
    m_loadedPaths = paths;
    m_databaseWatch->Follow(DatabasePath());
    emit LibraryLoaded(m_library);
    OfferDatabaseActions();
    DatabasePathLabel->setText(caption);
    ReadingTab->ShowDatabase(DatabasePath(), BackupsFolder());
    WordsTab->ShowDatabase(DatabasePath());
    m_status->ShowOutcome("library loaded: " + Counted(m_library->Index().Volumes.Count(), "book", "books"));
    for (BookListTab* tab : ListTabs())
        tab->ShowRows();
    LibraryPage->ShowOverview(std::make_shared<const LibraryOverview>(std::move(*overview)));
    return true;
}

void TForm1::OfferDatabaseActions() {
    const QString why = DecodeUtf8(WhyNoDatabase(*m_library));
    const bool database = why.isEmpty();
    const auto offerTab = [&](QWidget* tab, const QString& what) {
        const int index = PageControl1->indexOf(tab);
        PageControl1->setTabEnabled(index, database);
        PageControl1->setTabToolTip(index, database ? QString() : what + why);
    };
    offerTab(TabSheet5, "The SQL console runs on a Kobo reader's database: ");
    offerTab(ReadingTab, "Only a Kobo reader's database keeps reading statistics: ");
    offerTab(WordsTab, "Only a Kobo reader's database keeps saved words: ");
    Button2->setEnabled(database && m_consoleArmed);
    Button2->setToolTip(database ? QString() : "The SQL console runs on a Kobo reader's database: " + why);
    // The reader's own database can be backed up whatever is shown.
    const bool backup = database || fromMarvik1->isEnabled();
    backupdatabase1->setEnabled(backup);
    backupdatabase1->setToolTip(backup ? QString() : "Only a Kobo reader's database is backed up here: " + why);
}
