// The window's long work and what it follows by itself, on the offscreen platform: a loaded database read again when
// its file changes, a reader's database loaded or offered when the reader is connected, Cancel and the quit keys
// during "export all books", Cancel during a load and a backup, the status row's offers after an export, and a results
// folder of the user's choosing.
#include "DatabaseBackups.h"
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "OptionsTab.h"
#include "PluggableVolumes.h"
#include "ReaderDatabase.h"
#include "TForm1.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QWindow>

namespace {

// Many books of many highlights each, so that an export of all of them runs long enough to be stopped in between.
void MakeManyBooks(const QString& file, int books) {
    fixture::ReaderDatabase reader(file.toStdString());
    reader.Exec("BEGIN");
    for (int b = 0; b < books; ++b) {
        const std::string id = "/mnt/onboard/book" + std::to_string(b) + ".epub";
        reader.AddBook({.volumeId = id, .title = "Book " + std::to_string(b), .author = "Writer"});
        reader.AddPart({.contentId = id + "#1", .bookId = id, .bookTitle = "Book " + std::to_string(b)});
        for (int h = 0; h < 20; ++h)
            reader.AddBookmark({.bookmarkId = id + std::to_string(h),
                                .volumeId = id,
                                .contentId = id + "#1",
                                .text = "A highlight of some length, number " + std::to_string(h) + "."});
    }
    reader.Exec("COMMIT");
}

void MakeOneBook(const QString& file, const std::string& title) {
    fixture::ReaderDatabase reader(file.toStdString());
    const std::string id = "/mnt/onboard/" + title + ".epub";
    reader.AddBook({.volumeId = id, .title = title, .author = "Writer"});
    reader.AddPart({.contentId = id + "#1", .bookId = id, .bookTitle = title});
    reader.AddBookmark({.bookmarkId = title + "1", .volumeId = id, .contentId = id + "#1", .text = "First."});
}

// A click as the pointer makes it: to the window, which hands it to the widget under the pointer.
void ClickThroughWindow(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, window->mapFromGlobal(widget->mapToGlobal(widget->rect().center())));
}

} // namespace

class WindowWorkTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf"));
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
        QDesktopServices::setUrlHandler("file", &m_opened, "open");
        m_opened.urls.clear();
        m_program = std::make_unique<QTemporaryDir>();
        m_volumes = std::make_shared<PluggableVolumes>();
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
        SetOpenFileHandler({});
    }

    void theLoadedFileIsReadAgainWhenItChanges() {
        const QString database = m_program->filePath("KoboReader.sqlite");
        MakeOneBook(database, "Walden");
        TForm1 f(m_program->path(), m_volumes);
        f.LoadDatabase(database);
        QCOMPARE(f.LibraryPage->Proxy()->rowCount(), 1);
        QVERIFY(f.LibraryPage->SelectBook("/mnt/onboard/Walden.epub"));

        // Another program writes to it: the library follows, the chosen book stays chosen.
        {
            fixture::ReaderDatabase writer(database.toStdString(), fixture::ReaderDatabase::Existing);
            writer.AddBook({.volumeId = "/mnt/onboard/Emma.epub", .title = "Emma", .author = "Writer"});
            writer.AddPart({.contentId = "/mnt/onboard/Emma.epub#1", .bookId = "/mnt/onboard/Emma.epub"});
            writer.AddBookmark(
                {.bookmarkId = "e1", .volumeId = "/mnt/onboard/Emma.epub", .contentId = "/mnt/onboard/Emma.epub#1"});
        }
        QTRY_COMPARE_WITH_TIMEOUT(f.LibraryPage->Proxy()->rowCount(), 2, 10000);
        QVERIFY2(f.TntLabel6->text().startsWith("database changed on disk"), qPrintable(f.TntLabel6->text()));
        QCOMPARE(f.LibraryPage->CurrentVolume(), QString("/mnt/onboard/Walden.epub"));

        // A new copy put in its place is read too; a file that is only gone leaves what was read.
        const QString copy = m_program->filePath("copy.sqlite");
        MakeOneBook(copy, "Alone");
        QVERIFY(QFile::remove(database) && QFile::rename(copy, database));
        QTRY_COMPARE_WITH_TIMEOUT(f.LibraryPage->Proxy()->rowCount(), 1, 10000);
        QVERIFY(QFile::remove(database));
        QTest::qWait(3 * 400);
        QCOMPARE(f.LibraryPage->Proxy()->rowCount(), 1);
        QVERIFY(f.Loaded());
    }

    void aConnectedReaderIsLoadedWhenNothingIsElseOffered() {
        QTemporaryDir disk;
        QVERIFY(QDir(disk.path()).mkpath(".kobo"));
        const QString onReader = disk.filePath(".kobo/KoboReader.sqlite");
        MakeOneBook(onReader, "Walden");
        const QString other = m_program->filePath("other.sqlite");
        MakeOneBook(other, "Emma");

        {
            TForm1 f(m_program->path(), m_volumes);
            f.TabSheet4->BackupOnConnectBox()->setChecked(false);
            QVERIFY(f.TabSheet4->LoadOnConnectBox()->isChecked()); // on by default
            m_volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
            QTRY_VERIFY_WITH_TIMEOUT(f.Loaded(), 10000);
            QCOMPARE(f.DatabasePath(), onReader);
            QVERIFY(f.loadReaderButton->isHidden());
        }
        m_volumes->mounted.clear();
        {
            // Something else loaded: the status offers the reader's database, and loads it when asked.
            TForm1 f(m_program->path(), m_volumes);
            f.TabSheet4->BackupOnConnectBox()->setChecked(false);
            f.LoadDatabase(other);
            m_volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
            QTRY_VERIFY_WITH_TIMEOUT(!f.loadReaderButton->isHidden(), 10000);
            QCOMPARE(f.DatabasePath(), other);
            QTest::mouseClick(f.loadReaderButton, Qt::LeftButton);
            QCOMPARE(f.DatabasePath(), onReader);
            QVERIFY(f.loadReaderButton->isHidden());
            // Unplugged, nothing is offered any more.
            f.LoadDatabase(other);
            m_volumes->mounted.clear();
            QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), QString("reader disconnected"), 10000);
            QVERIFY(f.loadReaderButton->isHidden());
            // The option off, remembered: a reader connected with nothing loaded is only told.
            f.TabSheet4->LoadOnConnectBox()->setChecked(false);
            f.close();
        }
        TForm1 f(m_program->path(), m_volumes);
        f.TabSheet4->BackupOnConnectBox()->setChecked(false);
        QVERIFY(!f.TabSheet4->LoadOnConnectBox()->isChecked());
        m_volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), "reader connected: " + disk.path(), 10000);
        QVERIFY(!f.Loaded());
    }

    // Cancel, and the quit keys, stop "export all books" between two books: the files written stay whole, the rest
    // are not begun.
    void exportAllStopsBetweenBooksOnCancelAndOnQuit() {
        const QString database = m_program->filePath("many.sqlite");
        constexpr int kBooks = 400;
        MakeManyBooks(database, kBooks);
        QDir results(m_program->filePath("results"));
        for (const bool quit : {false, true}) {
            QVERIFY(results.removeRecursively() && results.mkpath("."));
            m_opened.urls.clear();
            TForm1 f(m_program->path(), m_volumes);
            f.LoadDatabase(database);
            f.show();
            QVERIFY(QTest::qWaitForWindowActive(&f));
            QVERIFY(f.ProgressBar1->isHidden() && f.cancelWorkButton->isHidden()); // idle: the status has the row
            bool cancelShown = false;
            QTimer::singleShot(0, &f, [&] {
                cancelShown = f.cancelWorkButton->isVisible() && f.ProgressBar1->isVisible();
                if (quit)
                    QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier);
                else
                    ClickThroughWindow(f.cancelWorkButton);
            });
            f.exportallbooks1->trigger();
            QVERIFY(cancelShown);
            const QStringList written = results.entryList(QDir::Files);
            QVERIFY2(written.size() < kBooks, qPrintable(QString::number(written.size())));
            for (const QString& file : written)
                QVERIFY(QFileInfo(results.filePath(file)).size() > 0);
            QVERIFY(f.cancelWorkButton->isHidden() && f.ProgressBar1->isHidden());
            QVERIFY(m_opened.urls.isEmpty()); // nothing opened after a stop
            QCOMPARE(f.isVisible(), !quit);
            if (!quit)
                QVERIFY2(f.TntLabel6->text().contains("cancelled"), qPrintable(f.TntLabel6->text()));
        }
        QVERIFY(m_boxes.isEmpty());
    }

    // Cancel ends a load within its reading and leaves the window with the library it had, ready for the next load.
    void aCancelledLoadLeavesTheWindowAsItWas() {
        const QString walden = m_program->filePath("KoboReader.sqlite");
        MakeOneBook(walden, "Walden");
        const QString many = m_program->filePath("many.sqlite");
        MakeManyBooks(many, 1000);
        TForm1 f(m_program->path(), m_volumes);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QVERIFY(f.LoadDatabase(walden));
        QVERIFY(f.LibraryPage->SelectBook("/mnt/onboard/Walden.epub"));
        QTimer::singleShot(0, &f, [&] { ClickThroughWindow(f.cancelWorkButton); });
        QVERIFY(!f.LoadDatabase(many));
        QCOMPARE(f.TntLabel6->text(), QString("loading cancelled"));
        QVERIFY(f.Loaded());
        QCOMPARE(f.DatabasePath(), walden);
        QCOMPARE(f.DatabasePathLabel->text(), "database: " + walden);
        QCOMPARE(f.Volumes().Count(), std::size_t{1});
        QCOMPARE(f.LibraryPage->Proxy()->rowCount(), 1);
        QCOMPARE(f.LibraryPage->CurrentVolume(), QString("/mnt/onboard/Walden.epub"));
        QVERIFY(f.cancelWorkButton->isHidden() && f.ProgressBar1->isHidden());

        QVERIFY(f.LoadDatabase(many));
        QCOMPARE(f.LibraryPage->Proxy()->rowCount(), 1000);
        QVERIFY(m_boxes.isEmpty());
    }

    // A backup shows a moving bar and Cancel; Cancel ends it and keeps nothing of it, and the next one is made. The
    // backup waits for the only thread of the pool until Cancel is pressed.
    void aCancelledBackupKeepsNothing() {
        const QString database = m_program->filePath("KoboReader.sqlite");
        MakeOneBook(database, "Walden");
        TForm1 f(m_program->path(), m_volumes);
        f.LoadDatabase(database);
        QThreadPool* pool = &f.findChild<DatabaseBackups*>()->Threads();
        pool->waitForDone();
        const QDir backups(f.BackupsFolder());
        QDir(backups).removeRecursively();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        QSemaphore held;
        pool->start([&] { held.acquire(); });
        auto release = qScopeGuard([&] {
            held.release();
            pool->setMaxThreadCount(threads);
        });
        f.backupdatabase1->trigger();
        QVERIFY(!f.cancelWorkButton->isHidden() && !f.ProgressBar1->isHidden());
        QTest::mouseClick(f.cancelWorkButton, Qt::LeftButton);
        release.dismiss();
        held.release();
        pool->setMaxThreadCount(threads);
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), QString("backup cancelled"), 10000);
        QVERIFY(f.cancelWorkButton->isHidden() && f.ProgressBar1->isHidden());
        QCOMPARE(backups.entryList(QDir::Files), QStringList{});

        f.backupdatabase1->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(f.TntLabel6->text().startsWith("backed up to "), 10000);
        QCOMPARE(backups.entryList(QDir::Files).size(), 1);
        QVERIFY(f.cancelWorkButton->isHidden() && f.ProgressBar1->isHidden());
        QVERIFY(m_boxes.isEmpty());
    }

    // A results folder removed while the window is open is made again by the next export, of one book, of some
    // highlights or of all; a cause that keeps every book from being written is told once, and so is a folder that
    // cannot be made.
    void exportsMakeTheResultsFolderAndTellARepeatedFailureOnce() {
        const QString database = m_program->filePath("KoboReader.sqlite");
        MakeManyBooks(database, 5);
        TForm1 f(m_program->path(), m_volumes);
        QVERIFY(f.LoadDatabase(database));
        QDir results(m_program->filePath("results"));
        QVERIFY(results.removeRecursively());
        f.exportallbooks1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("5 books written"));
        QCOMPARE(results.entryList(QDir::Files).size(), 5);
        QVERIFY(results.removeRecursively());
        emit f.LibraryPage->ExportRequested("/mnt/onboard/book1.epub");
        QVERIFY(results.removeRecursively());
        emit f.LibraryPage->ExportSelectedRequested("/mnt/onboard/book2.epub", {"/mnt/onboard/book2.epub0"});
        QCOMPARE(results.entryList(QDir::Files).size(), 1);
        QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));

        // A folder where each book's file belongs: one line for the five books, with the cause.
        f.TabSheet4->CheckBox1()->setChecked(true);
        for (int b = 0; b < 5; ++b)
            QVERIFY(results.mkpath(QString("book%1.epub.annotations.txt").arg(b)));
        f.exportallbooks1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("0 books written, 5 failed"));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QString("something went wrong!\n\nThese books were not exported:\n5 books "
                                          "(/mnt/onboard/book0.epub, /mnt/onboard/book1.epub, /mnt/onboard/book2.epub "
                                          "and 2 more): Cannot create file: Is a directory."));

        // A results folder that cannot be made: one error, and no book tried.
        m_boxes.clear();
        QFile blocker(m_program->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.TabSheet4->SetResultsFolder(blocker.fileName() + "/results");
        f.exportallbooks1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("export failed"));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text,
                 "Cannot make the results folder \"" + blocker.fileName() + "/results\": Not a directory.");
    }

    // After an export the status names the file and its folder, and offers to open the one and show the other; the
    // folder is the one chosen on the options tab, remembered, which "open result folder" opens as well.
    void writtenFilesAreOfferedInTheFolderTheUserChose() {
        const QString database = m_program->filePath("KoboReader.sqlite");
        MakeOneBook(database, "Walden");
        QTemporaryDir chosen;
        SetOpenFileHandler([&](const OpenFileRequest& request) { return request.folders ? chosen.path() : QString(); });
        {
            TForm1 f(m_program->path(), m_volumes);
            QCOMPARE(f.ResultsFolder(), m_program->filePath("results"));
            QTest::mouseClick(f.TabSheet4->ResultsFolderButton(), Qt::LeftButton);
            QCOMPARE(f.ResultsFolder(), chosen.path());
            QCOMPARE(f.TabSheet4->ResultsFolderLabel()->text(), chosen.path());
            f.close();
        }
        TForm1 f(m_program->path(), m_volumes);
        QCOMPARE(f.ResultsFolder(), chosen.path());
        f.LoadDatabase(database);
        QVERIFY(f.LibraryPage->SelectBook("/mnt/onboard/Walden.epub"));
        emit f.LibraryPage->ExportRequested("/mnt/onboard/Walden.epub");
        const QStringList written = QDir(chosen.path()).entryList(QDir::Files);
        QCOMPARE(written.size(), 1);
        const QString file = chosen.filePath(written[0]);
        QCOMPARE(f.TntLabel6->text(),
                 "1 highlight written to " + written[0] + " in " + QFileInfo(chosen.path()).fileName());
        QCOMPARE(f.TntLabel6->toolTip(), file);
        QVERIFY(!f.openWrittenButton->isHidden() && !f.showWrittenButton->isHidden());
        m_opened.urls.clear();
        QTest::mouseClick(f.openWrittenButton, Qt::LeftButton);
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(file)});
        // A file removed since is neither opened nor shown, and the status says why.
        QVERIFY(QFile::rename(file, file + ".moved"));
        m_opened.urls.clear();
        QTest::mouseClick(f.showWrittenButton, Qt::LeftButton);
        QCOMPARE(f.TntLabel6->text(), "cannot show " + written[0] + ": it is no longer there");
        QVERIFY(m_opened.urls.isEmpty());
        QVERIFY(QFile::rename(file + ".moved", file));
        m_opened.urls.clear();
        f.openresultfolder1->trigger();
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(chosen.path())});
        // The next outcome takes the offers away.
        f.LoadDatabase(database);
        QVERIFY(f.openWrittenButton->isHidden() && f.showWrittenButton->isHidden());

        // Every menu and entry has an access letter.
        for (const QMenu* menu : f.menuBar()->findChildren<QMenu*>()) {
            QVERIFY2(menu->title().contains('&'), qPrintable(menu->title()));
            for (const QAction* entry : menu->actions())
                QVERIFY2(entry->isSeparator() || entry->text().contains('&'), qPrintable(entry->text()));
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_program;
    std::shared_ptr<PluggableVolumes> m_volumes;
    QList<MessageBoxRequest> m_boxes;
    OpenedUrls m_opened;
};

int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    WindowWorkTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "WindowWorkTest.moc"
