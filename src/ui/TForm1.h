#pragma once

#include "LoadedLibrary.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class BackgroundRunner;
struct BackupOutcome;
struct ReaderByFiles;
class BookListTab;
class DatabaseBackups;
class ExportActions;
class NotesSyncAction;
class ReaderWatcher;
class LibraryTab;
class OptionsTab;
class ProgressRelay;
class DatabaseFileWatch;
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSettings;
class QPushButton;
class QTabWidget;
class ReadingStatsTab;
class SavedWordsTab;
class StatusLine;
class VolumeSource;
class WindowProgress;

// The program's one window: three lists of the loaded database, the options, the SQL console, and the menus that
// load a database and open folders.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // programFolder: where the program lives ("" for the executable's folder); volumes: the mounted volumes to search
    // for the reader (null for the system's).
    explicit TForm1(const QString& programFolder = {}, std::shared_ptr<const VolumeSource> volumes = nullptr,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // Reads the database at path in place of the loaded one; false when the reading was cancelled, which leaves the
    // window as it was.
    bool LoadDatabase(const QString& path);
    // Reads any reader's files at the paths as one library (a Kobo database, KOReader's sidecars or a folder of them, a
    // Kindle's clippings or its root); a single Kobo database is read as LoadDatabase reads it. False when cancelled.
    bool LoadPaths(const QStringList& paths);
    // The program's arguments: a database named after the program's own name is loaded once the event loop runs, so
    // that its errors reach the error display like any other.
    void OpenArguments(const QStringList& arguments);

    const TSortedStringList& Volumes() const { return m_library->Index().Volumes; }
    const TSortedStringList& TitlePairs() const { return m_library->Index().TitlePairs; }
    const TSortedStringList& AuthorPairs() const { return m_library->Index().AuthorPairs; }
    QString DatabasePath() const;
    // Where the annotation files go: the folder chosen on the options tab, else "results" in the program folder.
    QString ResultsFolder() const;
    // Whether a database is loaded (the last load found one).
    bool Loaded() const { return m_loaded; }
    // Where backups of the reader's database go: "backups" in the user's data folder.
    QString BackupsFolder() const;

    QString ProgramFolder;      // ends in "/"
    QString ReaderDrive;        // root of the reader's volume; empty when none was found
    QString ReaderDatabasePath; // the database on the reader, as last found

    // Widgets, named as their object names. The list tabs and the options tab hold their own.
    QTabWidget* PageControl1 = nullptr;
    // "library": the books with their counts, a book's highlights, and the search across all of them
    LibraryTab* LibraryPage = nullptr;
    BookListTab* TabSheet1 = nullptr; // "file names"
    BookListTab* TabSheet2 = nullptr; // "book titles"
    BookListTab* TabSheet3 = nullptr; // "authors"
    OptionsTab* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr; // "execSQL"
    // "reading": the loaded database's reading statistics
    ReadingStatsTab* ReadingTab = nullptr;
    // "words": the loaded database's saved words
    SavedWordsTab* WordsTab = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* DatabasePathLabel = nullptr; // which database is loaded
    QLabel* TntLabel6 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* cancelWorkButton = nullptr;  // beside the progress bar while long work runs
    QPushButton* loadReaderButton = nullptr;  // "load the reader's database", while another one is loaded
    QPushButton* openWrittenButton = nullptr; // "open file", after an export
    QPushButton* showWrittenButton = nullptr; // "show in folder", after an export
    QMenu* loaddatabase1 = nullptr;
    QAction* fromprogrampath1 = nullptr;
    QAction* fromMarvik1 = nullptr;
    QAction* opendatabasefile1 = nullptr; // Ctrl+O
    QAction* backupdatabase1 = nullptr;   // "back up database now"
    QAction* showArchiveAction = nullptr; // "show the archive": every highlight ever seen, the gone ones marked
    QAction* openlastdatabase1 = nullptr;
    QAction* quit1 = nullptr; // Ctrl+Q
    QMenu* openfolders1 = nullptr;
    QAction* opemprogramfolder1 = nullptr;
    QAction* openresultfolder1 = nullptr;
    QAction* openMarvikkobo1 = nullptr;
    QMenu* export1 = nullptr;
    QAction* exportallbooks1 = nullptr;
    QAction* exportnewhighlights1 = nullptr; // "export new highlights of all books"
    QAction* syncnotes1 = nullptr;           // "sync notes": one note per book in the notes folder
    QMenu* help1 = nullptr;
    QAction* about1 = nullptr;

signals:
    // The library a load read (or the empty one it left), for the tabs that show it.
    void LibraryLoaded(std::shared_ptr<const LoadedLibrary> library);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    void ConnectHandlers();
    void FormCreate();
    void ChooseFont();
    // Runs a handler under the error display.
    void Guarded(const std::function<void()>& handler);
    // Cancel, or a close request, while work runs in the background.
    void StopWork();
    // The loaded database's file changed on disk: it is read again once no work runs.
    void DatabaseFileChanged();
    std::array<BookListTab*, 3> ListTabs() const { return {TabSheet1, TabSheet2, TabSheet3}; }

    // "load database" and "open folders"
    void loaddatabase1Click();
    void fromprogrampath1Click();
    void fromMarvik1Click();
    void openfolders1Click();
    void opemprogramfolder1Click();
    void openresultfolder1Click();
    void openMarvikkobo1Click();
    void opendatabasefile1Click();
    void openlastdatabase1Click();
    void about1Click();
    void backupdatabase1Click();
    // Starts a backup of the database; the status tells, after `before`, where it went. then runs once it ends,
    // unless it was cancelled.
    // toArchive: the backup is then added to the archive.
    void BackUp(const QString& database, const QString& before, std::function<void()> then = {},
                bool toArchive = false);
    // How a backup ended, in the status after `before`; its error on the error display.
    void ShowBackupOutcome(const QString& before, const BackupOutcome& outcome);
    // Readers told by their files: each offered in the load menu; one newly connected is told, its files backed up,
    // and loaded when nothing else is.
    void OfferOtherReaders();
    void OtherReadersChanged();
    void OtherReaderConnected(const ReaderByFiles& reader);
    // The start page's "load from the reader": the Kobo's database, else the first other reader's files.
    void loadReaderClick();
    // While backups run and nothing runs in the foreground: a bar that moves by itself, and Cancel; when nothing runs,
    // no Cancel.
    void ShowRunningBackups();
    QString FindReaderRoot() const;
    // The reader found differs from the one seen before (root empty: it was removed): the status tells it.
    void ReaderChanged(const QString& root);
    // What happens when a reader appears: its database backed up, and loaded when nothing else is, else offered.
    void ReaderConnected();
    // The copy of the reader's database that the program folder may hold.
    QString ProgramDatabaseCopy() const;

    // Runs a load's reading beside the window, with Cancel, its exception kept in failure; true when it was cancelled,
    // which the status then says.
    bool ReadCancellably(const std::function<void(ProgressReporter&)>& read, std::exception_ptr& failure);
    // Reads a library beside the window (read), and shows it in place of the loaded one once read; the status tells
    // `failed` when it fails, and the loaded library stays. caption: the line below the tabs; paths: what a change of
    // the database on disk reads again.
    using LibraryReading =
        std::function<std::shared_ptr<LoadedLibrary>(ProgressReporter&, std::optional<LibraryOverview>&)>;
    bool LoadLibrary(const LibraryReading& read, const QString& failed, const QString& caption,
                     const QStringList& paths);
    bool LoadSources(const QStringList& paths);
    void showArchiveClick();
    // What only a Kobo database has (the console, the reading statistics, the backup), offered or told why not.
    void OfferDatabaseActions();

    // the console
    void Button2Click();

    // what is remembered between runs
    void RestoreSettings();
    void SaveSettings();
    QString LastDatabase() const;

    // What the last load read; a load reads into a library of its own and replaces this one only once it ends, so
    // that a cancelled load leaves the window as it was.
    std::shared_ptr<LoadedLibrary> m_library = std::make_shared<LoadedLibrary>();
    std::unique_ptr<WindowProgress> m_progress;
    std::unique_ptr<QSettings> m_settings;
    DatabaseFileWatch* m_databaseWatch = nullptr;
    BackgroundRunner* m_runner = nullptr;
    DatabaseBackups* m_backups = nullptr;
    StatusLine* m_status = nullptr;
    ExportActions* m_exports = nullptr;
    NotesSyncAction* m_notesSync = nullptr;
    ReaderWatcher* m_readerWatch = nullptr;
    bool m_loaded = false;
    QStringList m_loadedPaths; // what the last load read, to read again when the database changes on disk
    bool m_consoleArmed = false;
    QList<QAction*> m_otherReaderActions; // the load menu's entries for readers told by their files
    QStringList m_otherReaderRoots;       // those readers as last told
};
