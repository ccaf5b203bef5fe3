// Exports along the whole road in a real X server: the database named as the program's argument, a row with a long
// id chosen with the mouse and exported with Enter; then the database chosen with the mouse in the "load database"
// menu and a row double-clicked. The details of each step are the widget tests'.
#include "BookHighlightsView.h"
#include "BookListTab.h"
#include "LibraryTab.h"
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "OptionsTab.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "TForm1.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// For the documentation: a small library of well-known books, one of them in Arabic, with colours, dates and chapters.
void AddDocumentationLibrary(fixture::ReaderDatabase& reader) {
    struct Quote {
        const char* chapter;
        const char* text;
        const char* color;
        const char* date;
    };
    struct Book {
        const char* file;
        const char* title;
        const char* author;
        std::vector<Quote> quotes;
    };
    const std::vector<Book> books = {
        {"Walden.epub",
         "Walden",
         "Henry David Thoreau",
         {{"Economy", "The mass of men lead lives of quiet desperation.", "0", "2024-10-02T21:14:00"},
          {"Where I Lived, and What I Lived For",
           "I went to the woods because I wished to live deliberately, to front only the essential facts of life.", "2",
           "2024-10-05T08:02:00"},
          {"Where I Lived, and What I Lived For", "Our life is frittered away by detail. Simplify, simplify.", "1",
           "2024-10-05T08:10:00"}}},
        {"Meditations.epub",
         "Meditations",
         "Marcus Aurelius",
         {{"Book Four", "The universe is change; our life is what our thoughts make it.", "3", "2024-11-15T22:40:00"},
          {"Book Seven", "Very little is needed to make a happy life.", "0", "2024-11-16T07:05:00"}}},
        {"Great Expectations.epub",
         "Great Expectations",
         "Charles Dickens",
         {{"Chapter 27", "Life is made of ever so many partings welded together.", "2", "2024-11-18T19:30:00"}}},
        {"Kalila wa Dimna.epub",
         "\u0643\u0644\u064A\u0644\u0629 \u0648\u062F\u0645\u0646\u0629",
         "\u0627\u0628\u0646 \u0627\u0644\u0645\u0642\u0641\u0639",
         {{"\u0628\u0627\u0628 \u0627\u0644\u0623\u0633\u062F \u0648\u0627\u0644\u062B\u0648\u0631",
           "\u0627\u0644\u0639\u0644\u0645 \u0646\u0648\u0631 \u0648\u0627\u0644\u062C\u0647\u0644 "
           "\u0638\u0644\u0627\u0645\u060C \u0648\u0627\u0644\u0639\u0627\u0642\u0644 \u0645\u0646 "
           "\u0627\u062A\u0639\u0638 \u0628\u063A\u064A\u0631\u0647.",
           "3", "2024-11-18T17:44:00"},
          {"\u0628\u0627\u0628 \u0627\u0644\u0623\u0633\u062F \u0648\u0627\u0644\u062B\u0648\u0631",
           "\u0645\u0646 \u062C\u062F \u0648\u062C\u062F\u060C \u0648\u0645\u0646 \u0632\u0631\u0639 "
           "\u062D\u0635\u062F.",
           "0", "2024-11-19T09:12:00"}}},
    };
    reader.Exec("ALTER TABLE Bookmark ADD COLUMN Color INTEGER");
    int n = 0;
    for (const Book& book : books) {
        const std::string id = std::string("/mnt/onboard/") + book.file;
        reader.AddBook({.volumeId = id, .title = book.title, .author = book.author});
        std::string chapter;
        int part = 0;
        for (const Quote& quote : book.quotes) {
            if (chapter != quote.chapter) {
                chapter = quote.chapter;
                ++part;
                reader.AddPart({.contentId = id + "#" + std::to_string(part),
                                .bookId = id,
                                .bookTitle = book.title,
                                .title = chapter,
                                .volumeIndex = part});
            }
            const std::string bookmark = "q" + std::to_string(++n);
            reader.AddBookmark({.bookmarkId = bookmark,
                                .volumeId = id,
                                .contentId = id + "#" + std::to_string(part),
                                .startContainerChildIndex = std::int64_t{n},
                                .text = quote.text});
            reader.Exec(std::string("UPDATE Bookmark SET Type = 'highlight', Color = ") + quote.color +
                        ", DateCreated = '" + quote.date + "' WHERE BookmarkID = '" + bookmark + "'");
        }
    }
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // A first start: the window tests leave their options (a chosen results folder) in the same settings.
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf"));
    }

    void loadFromTheArgumentAndTheMenuAndExport() {
        // No box waits for a person and no file browser opens.
        SetMessageBoxHandler([](const MessageBoxRequest& request) { QFAIL(qPrintable(request.text)); });
        OpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "open");
        QTemporaryDir program;
        const std::string longId = "file:///mnt/onboard/" + std::string(170, 'l') + "/Long.epub"; // 200 characters
        {
            fixture::ReaderDatabase reader(program.filePath("KoboReader.sqlite").toStdString());
            fixture::AddWinterVoyage(reader, "/mnt/onboard/Sea/A Winter Voyage.epub");
            reader.AddBook({.volumeId = longId, .title = "Long", .author = "Writer"});
            reader.AddPart({.contentId = longId + "#1", .bookId = longId, .bookTitle = "Long"});
            reader.AddBookmark({.bookmarkId = "l", .volumeId = longId, .contentId = longId + "#1", .text = "Far."});
        }

        TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const int width = form.width();
        form.OpenArguments({"marvik", program.filePath("KoboReader.sqlite")});
        QTRY_COMPARE(form.TabSheet1->List()->count(), 2);
        QCOMPARE(form.findChild<QLabel*>("TntLabel6")->text(), QString("database loaded: 2 books"));
        // On "book titles" the label under the list shows the selected book's id.
        form.PageControl1->setCurrentWidget(form.TabSheet2);
        QListWidget* titles = form.TabSheet2->List();
        const QListWidgetItem* longRow = titles->findItems("Long", Qt::MatchExactly).value(0);
        QVERIFY(longRow != nullptr);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, titles->visualItemRect(longRow).center());
        QCOMPARE(form.TabSheet2->LowerLabel()->text(), QString::fromStdString(longId));
        QTest::qWait(100);
        QCOMPARE(form.width(), width);
        QTest::keyClick(titles, Qt::Key_Return);
        QCOMPARE(form.findChild<QLabel*>("TntLabel6")->text(),
                 QString("1 highlight written to Long.epub.annotations_0000.txt in results"));
        QVERIFY(QFile::exists(program.filePath("results/Long.epub.annotations_0000.txt")));

        QMenuBar* bar = form.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form.loaddatabase1->menuAction()).center());
        QTRY_VERIFY(form.loaddatabase1->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(form.loaddatabase1));
        QTest::mouseClick(form.loaddatabase1, Qt::LeftButton, {},
                          form.loaddatabase1->actionGeometry(form.fromprogrampath1).center());
        QTRY_COMPARE(form.TntLabel6->text(), QString("database loaded: 2 books"));
        form.PageControl1->setCurrentWidget(form.TabSheet3);
        QListWidget* authors = form.TabSheet3->List();
        const QPoint row = authors->visualItemRect(authors->item(0)).center(); // "Some Author" before "Writer"
        QTest::mousePress(authors->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseRelease(authors->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(authors->viewport(), Qt::LeftButton, {}, row);

        QFile file(program.filePath("results/A Winter Voyage.epub.annotations_0000.txt"));
        QTRY_VERIFY(file.exists());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF") + fixture::kWinterVoyageFile);

        // For the documentation: MARVIK_SCREENSHOT=path keeps a picture of a library as the X server shows it, a book
        // with a long sideloaded path selected and exported.
        if (const QString screenshot = qEnvironmentVariable("MARVIK_SCREENSHOT"); !screenshot.isEmpty()) {
            const std::string sideloaded = "file:///mnt/onboard/Ann Writer/The Long Voyage Home_ Being the First Part "
                                           "of the Northern Sea Trilogy, with Maps and Notes.kepub.epub";
            fixture::ReaderDatabase library(program.filePath("library.sqlite").toStdString());
            fixture::AddWinterVoyage(library, "/mnt/onboard/Sea/A Winter Voyage.epub");
            fixture::AddCurrentFirmwareLibrary(library);
            library.AddBook({.volumeId = sideloaded, .title = "The Long Voyage Home", .author = "Ann Writer"});
            library.AddPart(
                {.contentId = sideloaded + "#1", .bookId = sideloaded, .bookTitle = "The Long Voyage Home"});
            for (const std::string n : {"1", "2", "3"})
                library.AddBookmark({.bookmarkId = "long" + n, .volumeId = sideloaded, .contentId = sideloaded + "#1"});
            library.Close();
            form.LoadDatabase(program.filePath("library.sqlite"));
            form.PageControl1->setCurrentWidget(form.TabSheet1);
            form.TabSheet1->List()->setCurrentRow(form.TabSheet1->List()->count() - 1);
            QTest::keyClick(form.TabSheet1->List(), Qt::Key_Return);
            QTest::qWait(200);
            QVERIFY(form.screen()->grabWindow(form.winId()).save(screenshot));
        }
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }

    // Cancel clicked with the mouse while "export all books" runs: the click reaches the window first, which hands it
    // to the button; the export stops between two books and opens nothing.
    void cancelClickedWithTheMouseStopsExportAll() {
        SetMessageBoxHandler([](const MessageBoxRequest& request) { QFAIL(qPrintable(request.text)); });
        OpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "open");
        QTemporaryDir program;
        constexpr int kBooks = 400;
        {
            fixture::ReaderDatabase reader(program.filePath("KoboReader.sqlite").toStdString());
            reader.Exec("BEGIN");
            for (int b = 0; b < kBooks; ++b) {
                const std::string id = "/mnt/onboard/book" + std::to_string(b) + ".epub";
                reader.AddBook({.volumeId = id, .title = "Book " + std::to_string(b), .author = "Writer"});
                reader.AddPart({.contentId = id + "#1", .bookId = id});
                for (int h = 0; h < 20; ++h)
                    reader.AddBookmark({.bookmarkId = id + std::to_string(h),
                                        .volumeId = id,
                                        .contentId = id + "#1",
                                        .text = "A highlight of some length."});
            }
            reader.Exec("COMMIT");
        }
        TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.LoadDatabase(program.filePath("KoboReader.sqlite")));
        QTimer::singleShot(0, &form, [&] {
            QWindow* window = form.windowHandle();
            const QPoint center = form.cancelWorkButton->rect().center();
            QTest::mouseClick(window, Qt::LeftButton, {},
                              window->mapFromGlobal(form.cancelWorkButton->mapToGlobal(center)));
        });
        form.exportallbooks1->trigger();
        QVERIFY2(form.TntLabel6->text().contains("cancelled"), qPrintable(form.TntLabel6->text()));
        QVERIFY(QDir(program.filePath("results")).entryList(QDir::Files).size() < kBooks);
        QVERIFY(opened.urls.isEmpty());
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }

    // Ctrl+F, a word and Enter, typed into the window as a person types them: the highlight that holds the word is
    // shown in its book.
    void searchEveryHighlightWithCtrlF() {
        SetMessageBoxHandler([](const MessageBoxRequest& request) { QFAIL(qPrintable(request.text)); });
        QTemporaryDir program;
        {
            fixture::ReaderDatabase reader(program.filePath("KoboReader.sqlite").toStdString());
            fixture::AddWinterVoyage(reader, "/mnt/onboard/Sea/A Winter Voyage.epub");
            fixture::AddCurrentFirmwareLibrary(reader);
            reader.Exec("UPDATE Bookmark SET Text = 'The \u00C9TOILE shone.' WHERE BookmarkID = "
                        "(SELECT BookmarkID FROM Bookmark WHERE Text <> '' AND Hidden <> 'true' "
                        "ORDER BY BookmarkID LIMIT 1)");
        }
        const QString wanted = QString::fromStdString(
            fixture::ReaderDatabase(program.filePath("KoboReader.sqlite").toStdString(),
                                    fixture::ReaderDatabase::Existing)
                .QueryText("SELECT BookmarkID FROM Bookmark WHERE Text LIKE 'The %TOILE shone.'"));
        TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow(); // no window manager gives it the keyboard
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.OpenArguments({"marvik", program.filePath("KoboReader.sqlite")});
        QTRY_VERIFY(form.LibraryPage->Proxy()->rowCount() > 0);
        form.PageControl1->setCurrentWidget(form.TabSheet4);
        QTest::keySequence(&form, QKeySequence::Find);
        QTRY_VERIFY(form.LibraryPage->SearchEdit()->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "etoile");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QTreeWidgetItem* shown = form.LibraryPage->Highlights()->currentItem();
        QVERIFY(shown != nullptr);
        QCOMPARE(shown->data(0, BookHighlightsView::kBookmarkIdRole).toString(), wanted);
        QVERIFY(shown->text(0).contains(QString::fromUtf8("\u00C9TOILE")));

        // For the documentation: MARVIK_SEARCH_SCREENSHOT=path keeps a picture of a search's results grouped by book,
        // beside a book in Arabic.
        if (const QString screenshot = qEnvironmentVariable("MARVIK_SEARCH_SCREENSHOT"); !screenshot.isEmpty()) {
            fixture::ReaderDatabase library(program.filePath("documented.sqlite").toStdString());
            AddDocumentationLibrary(library);
            library.Close();
            form.LoadDatabase(program.filePath("documented.sqlite"));
            form.LibraryPage->SearchEdit()->setText("life");
            QVERIFY(form.LibraryPage->SelectBook("/mnt/onboard/Kalila wa Dimna.epub"));
            QTest::qWait(300);
            QVERIFY(form.screen()->grabWindow(form.winId()).save(screenshot));
        }
        SetMessageBoxHandler({});
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
