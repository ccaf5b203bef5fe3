// Start-up, shut-down, loading a database and files dropped on the window.
#include "TForm1.h"

#include "BackgroundRunner.h"
#include "BookListTab.h"
#include "DatabaseBackups.h"
#include "DatabaseFailure.h"
#include "DatabaseFileWatch.h"
#include "ErrorDisplay.h"
#include "ExportActions.h"
#include "LibraryTab.h"
#include "NotesSyncAction.h"
#include "OptionsTab.h"
#include "ProgramFolders.h"
#include "ProgressRelay.h"
#include "ReaderWatcher.h"
#include "ReadingStatsTab.h"
#include "SavedWordsTab.h"
#include "StatusLine.h"
#include "StopScope.h"
#include "SystemVolumes.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <stdexcept>

namespace {

QString WithTrailingSlash(QString folder) {
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// The local files and folders among the dropped items.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

// The error a load came back with, raised again for the error display. A file that SQLite cannot read at all is
// told in plain words first, the access layer's message under it.
[[noreturn]] void ThrowFailure(const LoadOutcome& outcome) {
    if (outcome.exception) {
        if (!IsNotADatabase(outcome.exception))
            std::rethrow_exception(outcome.exception);
        try {
            std::rethrow_exception(outcome.exception);
        } catch (const std::exception& error) {
            throw std::runtime_error("This file is not a Kobo reader database.\r\r" + std::string(error.what()));
        }
    }
    throw std::runtime_error(outcome.error);
}

// In the user's configuration folder, never beside the program.
std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(FromPath(UserConfigFolder() / "marvik.conf"), QSettings::IniFormat);
}

} // namespace

TForm1::TForm1(const QString& programFolder, std::shared_ptr<const VolumeSource> volumes, QWidget* parent)
    : QMainWindow(parent), m_settings(OpenSettings()) {
    ProgramFolder = WithTrailingSlash(
        programFolder.isEmpty() ? DefaultProgramFolder(QCoreApplication::applicationDirPath()) : programFolder);
    BuildLayout();
    BuildMenus();
    m_progress = std::make_unique<WindowProgress>(*TntLabel6, *ProgressBar1);
    m_runner = new BackgroundRunner(
        *cancelWorkButton, *ProgressBar1, *m_progress, quit1->shortcut(), [this] { close(); }, this);
    m_backups = new DatabaseBackups(this);
    m_readerWatch = new ReaderWatcher(
        volumes ? std::move(volumes) : std::make_shared<SystemVolumes>(), [this] { return m_runner->Busy(); }, this);
    m_databaseWatch = new DatabaseFileWatch(this);
    m_status = new StatusLine(*m_progress, *TntLabel6, *openWrittenButton, *showWrittenButton, this);
    m_exports =
        new ExportActions(*this, *m_runner, *m_progress, *m_status, *TabSheet4, [this] { return ResultsFolder(); });
    m_notesSync = new NotesSyncAction(*this, *m_runner, *m_status, *TabSheet4,
                                      [this] { return Loaded() && DatabasePath() == ReaderDatabasePath; });
    ConnectHandlers();
    emit LibraryLoaded(m_library);
    FormCreate();
    RestoreSettings();
    loaddatabase1Click(); // the start page offers what the menu would
    m_readerWatch->Start();
}

TForm1::~TForm1() {
    // The library tab's threads read the library, which goes before the tab does.
    LibraryPage->PauseSearch();
}

void TForm1::Guarded(const std::function<void()>& handler) {
    RunGuarded(this, handler);
}

void TForm1::OpenArguments(const QStringList& arguments) {
    if (arguments.size() < 2)
        return;
    QMetaObject::invokeMethod(
        this, [this, paths = arguments.mid(1)] { Guarded([&] { LoadPaths(paths); }); }, Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The running action finishes unseen: nothing it would open or show afterwards appears.
    m_runner->NoteClose();
    StopWork(); // a backup too: what it began is removed
    SaveSettings();
    QMainWindow::closeEvent(event);
}

void TForm1::StopWork() {
    if (!m_runner->Busy() && !m_backups->Running())
        return;
    m_runner->Stop();
    m_backups->Stop();
    cancelWorkButton->setEnabled(false);
    TntLabel6->setText("stopping...");
}

void TForm1::FormCreate() {
    setAcceptDrops(true);
    ChooseFont();
    Button2->setEnabled(false);
    setWindowTitle("Marvik annotation extractor 0.5 ");
    // The installed theme's icon first, so that it follows the desktop's; the built-in drawing where none is.
    setWindowIcon(QIcon::fromTheme("io.github.marvik_app.marvik", QIcon(":/io.github.marvik_app.marvik.svg")));
    Memo1->clear();
    TntLabel6->clear();
    for (BookListTab* tab : ListTabs())
        tab->ClearLabelsAndSearch();
    // A results folder that cannot be made shows up later, when an export cannot write its file.
    QDir().mkpath(ResultsFolder());
}

void TForm1::ChooseFont() {
    const QStringList families = QFontDatabase::families();
    for (const QString& preferred : {QStringLiteral("Arial Unicode MS"), QStringLiteral("Cambria")}) {
        if (families.contains(preferred, Qt::CaseInsensitive)) {
            QFont chosen = font();
            chosen.setFamily(preferred);
            setFont(chosen);
            return;
        }
    }
}

QString TForm1::DatabasePath() const {
    return FromPath(m_library->DatabasePath());
}

QString TForm1::ResultsFolder() const {
    const QString chosen = TabSheet4->ResultsFolder();
    return chosen.isEmpty() ? ProgramFolder + "results" : chosen;
}

bool TForm1::ReadCancellably(const std::function<void(ProgressReporter&)>& read, std::exception_ptr& failure) {
    bool stopped = false;
    m_status->Reported("loading failed", [&] {
        m_progress->ShowBusy(true);
        const auto idle = qScopeGuard([this] { m_progress->ShowBusy(false); });
        m_runner->Run([&](ProgressRelay& relay) {
            // A reading has no clean point of its own between its statements: Cancel ends the one that runs.
            const StopScope interrupt(relay.StopFlag());
            StoppingProgress progress(relay);
            try {
                read(progress);
            } catch (...) {
                failure = std::current_exception();
            }
            stopped = relay.StopRequested();
        });
    });
    // Nothing of a cancelled reading is shown: the window stays with the library it had.
    if (stopped)
        m_status->ShowOutcome("loading cancelled");
    return stopped;
}

bool TForm1::LoadDatabase(const QString& path) {
    const ReadingOptions options = TabSheet4->Reading();
    auto next = std::make_shared<ReaderLibrary>();
    LoadOutcome outcome;
    std::exception_ptr failure;
    std::optional<LibraryOverview> overview;
    LibraryPage->PauseSearch();
    // The library kept when the load is cancelled or fails to begin gets its search back; a new one brings its own.
    const auto resumeSearch = qScopeGuard([this] { LibraryPage->ResumeSearch(); });
    // The library tab's overview is read beside the lists: one reading per load.
    if (ReadCancellably(
            [&](ProgressReporter& progress) {
                outcome = next->LoadDatabaseAndOverview(ToPath(path), progress, options, overview);
            },
            failure))
        return false;

    if (m_loaded && (failure || outcome.kind == LoadOutcome::Kind::Failed)) {
        // A file that cannot be opened takes nothing from the library that was loaded: its lists, its table and its
        // line stay, and the error tells why the other file was refused.
        m_status->ShowOutcome("could not open " + QFileInfo(path).fileName());
        if (failure)
            std::rethrow_exception(failure);
        ThrowFailure(outcome);
    }

    for (BookListTab* tab : ListTabs())
        tab->ClearRows();
    LibraryPage->ShowOverview(nullptr);
    loadReaderButton->hide();
    m_loaded = false;
    m_databaseWatch->Follow({});
    if (outcome.kind == LoadOutcome::Kind::NotFound || outcome.kind == LoadOutcome::Kind::NotAFile) {
        // Nothing to read: the index empties, and the database path stays the last one found.
        SilentProgress silent;
        if (ReaderLibrary* alone = m_library->DatabaseAlone())
            alone->LoadDatabase(ToPath(path), silent, options);
        else
            m_library = std::make_shared<LoadedLibrary>();
    } else {
        // A reading that failed is kept too, so that the console still reaches the file.
        m_library = std::make_shared<LoadedLibrary>(std::move(next));
    }
    m_loadedPaths = QStringList{path};
    emit LibraryLoaded(m_library);
    OfferDatabaseActions();
    // Also after a failed load, so that it tells which file failed.
    DatabasePathLabel->setText("database: " + DatabasePath());
    ReadingTab->ShowDatabase(outcome.kind == LoadOutcome::Kind::Loaded && !failure ? DatabasePath() : QString(),
                             BackupsFolder());
    WordsTab->ShowDatabase(outcome.kind == LoadOutcome::Kind::Loaded && !failure ? DatabasePath() : QString());
    m_status->Reported("loading failed", [&] {
        if (failure)
            std::rethrow_exception(failure);
        if (outcome.kind == LoadOutcome::Kind::Failed)
            ThrowFailure(outcome);
    });
    switch (outcome.kind) {
    case LoadOutcome::Kind::Loaded:
        m_loaded = true;
        m_databaseWatch->Follow(path);
        m_status->ShowOutcome("database loaded: " + Counted(outcome.books, "book", "books"));
        m_settings->setValue("database/last", path);
        for (BookListTab* tab : ListTabs())
            tab->ShowRows();
        if (overview)
            LibraryPage->ShowOverview(std::make_shared<const LibraryOverview>(std::move(*overview)));
        break;
    case LoadOutcome::Kind::NotFound:
    case LoadOutcome::Kind::NotAFile:
        m_status->ShowOutcome("database file not found: " + path);
        break;
    case LoadOutcome::Kind::Failed:
        break; // told as the error left the load
    }
    return true;
}

void TForm1::DatabaseFileChanged() {
    if (m_runner->Busy()) {
        QTimer::singleShot(DatabaseFileWatch::kSettleMilliseconds, this,
                           [this] { Guarded([this] { DatabaseFileChanged(); }); });
        return;
    }
    if (!m_loaded || m_library->FromArchive())
        return;
    const QString book = LibraryPage->CurrentVolume();
    const QStringList paths = m_loadedPaths; // a load replaces them
    if (LoadPaths(paths) && m_loaded)
        m_status->ShowOutcome("database changed on disk: read again, " + Counted(Volumes().Count(), "book", "books"));
    if (!book.isEmpty())
        LibraryPage->SelectBook(book);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// Several files or folders dropped at once are one library.
void TForm1::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    Guarded([&] { LoadPaths(files); });
}
