// The window with other readers' files and the archive, on the offscreen platform: a Kindle's clippings and KOReader's
// sidecars dropped at once are one library without the Kobo database's own actions; the archive shows the highlights
// the reader lost, marked, and a filter keeps only those; a reader told by its KOReader folder is offered, loaded and
// its files backed up.
#include "ArchiveAdd.h"
#include "ArchivePath.h"
#include "ArchiveTime.h"
#include "BookHighlightsView.h"
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OptionsTab.h"
#include "PluggableVolumes.h"
#include "ReaderDatabase.h"
#include "ReaderFilesBackup.h"
#include "ReadingStatsTab.h"
#include "SearchResultsModel.h"
#include "TForm1.h"
#include "UserFolders.h"
#include "Utf8Text.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWindow>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::string kBook = "/mnt/onboard/Sea/Winter Voyage.epub";
const std::string kPart = kBook + "#(1)one.html";

fs::path SourcesData() {
    return MARVIK_SOURCES_DATA;
}

void MakeKobo(const fs::path& file) {
    fixture::ReaderDatabase reader(file);
    reader.AddBook({.volumeId = kBook, .title = "Winter Voyage", .author = "Ann Berg"});
    reader.AddPart({.contentId = kPart, .bookId = kBook, .bookTitle = "Winter Voyage", .title = "One"});
    reader.AddBookmark({.bookmarkId = "h1", .volumeId = kBook, .contentId = kPart, .text = "Ice on the bay."});
    reader.AddBookmark(
        {.bookmarkId = "h2", .volumeId = kBook, .contentId = kPart, .text = "Snow at dawn.", .annotation = "cold"});
}

void Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

// A click as the pointer makes it: to the window, which hands it to the widget under the pointer.
void ClickThroughWindow(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, window->mapFromGlobal(widget->mapToGlobal(widget->rect().center())));
}

QString Local(const fs::path& path) {
    return FromPath(path);
}

} // namespace

class ReadersWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf"));
        QFile::remove(FromPath(DefaultArchivePath(UserDataFolder())));
        QDir(FromPath(UserBackupFolder())).removeRecursively();
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
        m_program = std::make_unique<QTemporaryDir>();
        m_volumes = std::make_shared<PluggableVolumes>();
    }
    void cleanup() { SetMessageBoxHandler({}); }

    void droppedClippingsAndSidecarsAreOneLibraryWithoutTheKoboActions() {
        TForm1 f(m_program->path(), m_volumes);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QUrl clippings = QUrl::fromLocalFile(Local(SourcesData() / "kindle" / "clippings-english.txt"));
        const QUrl sidecars = QUrl::fromLocalFile(Local(SourcesData() / "koreader"));
        Drop(&f, {clippings, sidecars});
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(f.TntLabel6->text(), QString("library loaded: 5 books"));
        QVERIFY(f.Loaded());
        QCOMPARE(f.LibraryPage->Proxy()->rowCount(), 5);
        QCOMPARE(f.Volumes().Count(), std::size_t{5});
        QVERIFY(f.DatabasePathLabel->text().startsWith("library: "));

        // What only a Kobo database has is not offered, and says why.
        const QString why = "the loaded library holds no Kobo database (only other readers' files)";
        const int console = f.PageControl1->indexOf(f.TabSheet5), reading = f.PageControl1->indexOf(f.ReadingTab);
        QVERIFY(!f.PageControl1->isTabEnabled(console) && !f.PageControl1->isTabEnabled(reading));
        QCOMPARE(f.PageControl1->tabToolTip(console), "The SQL console runs on a Kobo reader's database: " + why);
        QCOMPARE(f.PageControl1->tabToolTip(reading), "Only a Kobo reader's database keeps reading statistics: " + why);
        QVERIFY(!f.Button2->isEnabled() && !f.backupdatabase1->isEnabled());
        QCOMPARE(f.backupdatabase1->toolTip(), "Only a Kobo reader's database is backed up here: " + why);

        // One search over both: each result names where it came from.
        QTest::keyClicks(f.LibraryPage->SearchPane()->SearchEdit(), "the");
        const SearchResultsModel* results = f.LibraryPage->SearchPane()->ResultsModel();
        QTRY_VERIFY(results->Found() > 0);
        QStringList shown;
        for (int book = 0; book < results->rowCount(); ++book)
            for (int row = 0; row < results->rowCount(results->index(book, 0)); ++row)
                shown << results->index(row, 0, results->index(book, 0)).data().toString();
        QVERIFY(shown.filter("Kindle").size() > 0);
        QVERIFY(shown.filter("KOReader").size() > 0);

        // With a Kobo database among them, its actions are there again.
        const fs::path database = fs::path(m_program->path().toStdString()) / "KoboReader.sqlite";
        MakeKobo(database);
        Drop(&f, {clippings, sidecars, QUrl::fromLocalFile(Local(database))});
        QCOMPARE(f.TntLabel6->text(), QString("library loaded: 6 books"));
        QCOMPARE(f.DatabasePath(), Local(database));
        QVERIFY(f.PageControl1->isTabEnabled(console) && f.PageControl1->tabToolTip(console).isEmpty());
        QVERIFY(f.backupdatabase1->isEnabled());
    }

    void theArchiveShowsGoneHighlightsMarkedAndFiltered() {
        // A backup holding both highlights, the reader's database since without one of them, both in the archive.
        const fs::path folder = m_program->path().toStdString();
        const fs::path backup = folder / "KoboReader-2024-11-01-100000.sqlite", reader = folder / "KoboReader.sqlite";
        MakeKobo(backup);
        fs::copy_file(backup, reader);
        fixture::ReaderDatabase(reader, fixture::ReaderDatabase::Existing)
            .Exec("DELETE FROM Bookmark WHERE BookmarkID = 'h2'");
        SilentProgress silent;
        const ArchiveAddOutcome added = AddToArchive(DefaultArchivePath(UserDataFolder()),
                                                     {{backup, {{backup, ArchiveTimeText(std::time_t{1730455200})}}},
                                                      {reader, {{reader, ArchiveTimeText(std::time_t{1730800800})}}}},
                                                     silent);
        QVERIFY(added.failed.empty());

        TForm1 f(m_program->path(), m_volumes);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.LoadDatabase(Local(reader));
        QCOMPARE(f.LibraryPage->Overview()->highlights.size(), std::size_t{1});
        f.showArchiveAction->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("archive shown: 1 book, 2 highlights, 1 of them gone from the reader"));
        QCOMPARE(f.DatabasePathLabel->text(), "archive: " + Local(DefaultArchivePath(UserDataFolder())));
        QVERIFY(!f.PageControl1->isTabEnabled(f.PageControl1->indexOf(f.TabSheet5)));

        // The book's pane marks the lost one.
        QVERIFY(f.LibraryPage->SelectBook(QString::fromStdString(kBook)));
        BookHighlightsView* pane = f.LibraryPage->Highlights();
        QTRY_VERIFY(pane->Volume().has_value() && pane->Complete());
        QStringList rows;
        for (QTreeWidgetItemIterator item(pane); *item; ++item)
            rows << (*item)->text(BookHighlightsView::Text);
        QCOMPARE(rows.filter("gone from the reader").size(), 1);
        QVERIFY(rows.filter("gone from the reader").front().startsWith("Snow at dawn."));

        // "gone from the reader" keeps only the lost one among the results, marked.
        QCheckBox* gone = f.LibraryPage->SearchPane()->GoneBox();
        QVERIFY(gone->isVisible());
        ClickThroughWindow(gone);
        QVERIFY(gone->isChecked());
        const SearchResultsModel* results = f.LibraryPage->SearchPane()->ResultsModel();
        QTRY_COMPARE(results->Found(), std::size_t{1});
        const QModelIndex result = results->index(0, 0, results->index(0, 0));
        QCOMPARE(result.data(SearchResultsModel::kBookmarkIdRole).toString(), QString("h2"));
        QVERIFY(result.data().toString().contains("gone from the reader"));
        // A filter without words shows the highlight itself, not its note.
        QVERIFY(result.data().toString().contains("Snow at dawn."));

        // Back to a database: no archive filter.
        f.LoadDatabase(Local(reader));
        QVERIFY(!gone->isVisible() && !gone->isChecked());
    }

    void aReaderFoundByItsKOReaderFolderIsOfferedLoadedAndBackedUp() {
        QTemporaryDir disk;
        const fs::path root = disk.path().toStdString();
        fs::create_directories(root / "koreader");
        fs::create_directories(root / "books" / "Sea.sdr");
        fs::copy_file(SourcesData() / "koreader" / "books" / "86 Volume 13.sdr" / "metadata.epub.lua",
                      root / "books" / "Sea.sdr" / "metadata.epub.lua");

        TForm1 f(m_program->path(), m_volumes);
        m_volumes->mounted = {{root, "PocketBook"}};
        QTRY_VERIFY_WITH_TIMEOUT(f.Loaded(), 10000);
        QCOMPARE(f.DatabasePathLabel->text(), "library: " + disk.path());
        QCOMPARE(f.Volumes().Count(), std::size_t{1});
        emit f.loaddatabase1->aboutToShow();
        const QList<QAction*> offered = f.loaddatabase1->findChildren<QAction*>("otherReaderAction");
        QCOMPARE(offered.size(), 1);
        QCOMPARE(offered.front()->text(), "from reader's &files: " + disk.path() + " (KOReader)");

        // Its sidecars are backed up beside the database backups, at their places on the reader.
        QTRY_VERIFY_WITH_TIMEOUT(!ListReaderFilesBackups(UserBackupFolder()).empty(), 10000);
        const fs::path copy = ListReaderFilesBackups(UserBackupFolder()).front();
        QVERIFY(fs::exists(copy / "books" / "Sea.sdr" / "metadata.epub.lua"));
        QTRY_VERIFY_WITH_TIMEOUT(f.TntLabel6->text().contains("reader's files backed up to " + Local(copy)), 10000);

        // Unplugged: no longer offered.
        m_volumes->mounted.clear();
        QTRY_VERIFY_WITH_TIMEOUT(f.loaddatabase1->findChildren<QAction*>("otherReaderAction").isEmpty(), 10000);
    }

private:
    std::unique_ptr<QTemporaryDir> m_program;
    std::shared_ptr<PluggableVolumes> m_volumes;
    QList<MessageBoxRequest> m_boxes;
};

int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    ReadersWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ReadersWindowTest.moc"
