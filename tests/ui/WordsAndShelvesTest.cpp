// The words tab and the library's shelf filter in the window on the offscreen platform, on a real database with saved
// words and collections: a click on export writes the words' file, a shelf chosen leaves only its books, and "export
// all books" as Kindle clippings writes one file.
#include "EpubMaker.h"
#include "LibraryBooksModel.h"
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "OptionsTab.h"
#include "ProgramFolders.h"
#include "ReaderDatabase.h"
#include "SavedWordsModel.h"
#include "SavedWordsTab.h"
#include "TForm1.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"
#include "WholeRecordBooks.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace fixture::records;

QStringList Column(const QSortFilterProxyModel& proxy, int column) {
    QStringList cells;
    for (int row = 0; row < proxy.rowCount(); ++row)
        cells << proxy.index(row, column).data().toString();
    return cells;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class WordsAndShelvesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf"));
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request.text; });
        QDesktopServices::setUrlHandler("file", &m_opened, "open");
        m_boxes.clear();
        m_program = std::make_unique<QTemporaryDir>();
        m_database = m_program->filePath("KoboReader.sqlite");
        {
            fixture::ReaderDatabase reader(m_database.toStdString());
            fixture::AddWholeRecordLibrary(reader);
            fixture::AddRichBookShelves(reader);
            reader.AddShelf("Bought");
            reader.AddToShelf("Bought", kStore);
            reader.AddSavedWord({"Fernweh", kRich, "-de", "2024-11-19T10:00:00Z"});
            reader.AddSavedWord({"serendipity", kStore, {}, "2024-11-18T09:00:00Z"});
            reader.AddSavedWord({std::string(10000, 'x'), kStore, {}, "2024-11-20T11:00:00Z"});
        }
        m_form =
            std::make_unique<TForm1>(m_program->path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() {
        m_form.reset();
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }

    void theSavedWordsShownFilteredAndExportedForAnki() {
        TForm1& f = *m_form;
        SavedWordsTab& tab = *f.WordsTab;
        QVERIFY(f.LoadDatabase(m_database));
        f.PageControl1->setCurrentWidget(&tab);
        const QSortFilterProxyModel& shown = *tab.Proxy();
        QCOMPARE(Column(shown, SavedWordsModel::Word),
                 (QStringList{"serendipity", "Fernweh", QString(100, 'x') + QChar(0x2026)}));
        QCOMPARE(Column(shown, SavedWordsModel::Language), (QStringList{"", "de", ""}));
        QCOMPARE(Column(shown, SavedWordsModel::Book),
                 (QStringList{"A Store Book", "Notes: \"On\" Things", "A Store Book"}));
        QCOMPARE(Column(shown, SavedWordsModel::Saved),
                 (QStringList{"2024-11-18 09:00", "2024-11-19 10:00", "2024-11-20 11:00"}));
        QCOMPARE(tab.FormatChoice()->currentText(), QString("Anki cards"));

        QTest::keyClicks(tab.FilterEdit(), "STORE");
        QCOMPARE(shown.rowCount(), 2);
        const QString file = m_program->filePath("words.txt");
        QString offered;
        tab.chooseWordsFile = [&](const QString& name) {
            offered = name;
            return file;
        };
        QTest::mouseClick(tab.ExportButton(), Qt::LeftButton);
        QCOMPARE(offered, QString("Saved words.txt"));
        QCOMPARE(FileBytes(file), QByteArray("#separator:tab\n#html:false\n#deck:Saved words\n#tags column:3\n"
                                             "serendipity\tA Store Book\tA_Store_Book\n" +
                                             QByteArray(100, 'x') + "\xE2\x80\xA6\tA Store Book\tA_Store_Book\n"));
        QVERIFY(tab.Status()->text().contains("2 words written"));

        // CSV: the same words, its header first; a folder that cannot be written is said, not shown as written.
        tab.FilterEdit()->clear();
        tab.FormatChoice()->setCurrentIndex(tab.FormatChoice()->findText("CSV"));
        tab.chooseWordsFile = [&](const QString&) { return m_program->filePath("no/such/folder/words.csv"); };
        QTest::mouseClick(tab.ExportButton(), Qt::LeftButton);
        QVERIFY2(!tab.Status()->text().contains("written"), qPrintable(tab.Status()->text()));
        tab.chooseWordsFile = [&](const QString&) { return QString(); };
        QTest::mouseClick(tab.ExportButton(), Qt::LeftButton); // cancelled: nothing happens
        QVERIFY(m_boxes.isEmpty());
    }

    // On the reader's volume the books are at hand: each word gets the sentence of its EPUB that holds it, read beside
    // the window, and goes out with it; the status says which lack one and why.
    void theWordsOfBooksOnTheReaderGetTheirSentences() {
        const QString volume = m_program->filePath("reader");
        const std::filesystem::path root = ToPath(volume);
        std::filesystem::create_directories(root / ".kobo");
        const QString database = FromPath(root / ".kobo" / "KoboReader.sqlite");
        QVERIFY(QFile::copy(m_database, database));
        const std::filesystem::path book = root / "Ann Writer" / "Notes - Ann Writer.kepub.epub";
        std::filesystem::create_directories(book.parent_path());
        fixture::EpubMaker()
            .Package(R"(<item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>)", R"(<itemref idref="a"/>)")
            .Add("OEBPS/a.xhtml", "<html><body><p>Home. A deep fernweh, always. Away.</p></body></html>")
            .Write(book);

        TForm1& f = *m_form;
        SavedWordsTab& tab = *f.WordsTab;
        QVERIFY(f.LoadDatabase(database));
        f.PageControl1->setCurrentWidget(&tab);
        QTRY_VERIFY(!tab.ReadingSentences());
        QCOMPARE(Column(*tab.Proxy(), SavedWordsModel::Sentence), (QStringList{"", "A deep fernweh, always.", ""}));
        QVERIFY2(tab.Status()->text().contains("2 saved words have no sentence from the book: 1 whose book is not at "
                                               "hand, 1 too long to be a word"),
                 qPrintable(tab.Status()->text()));

        const QString file = m_program->filePath("words.txt");
        tab.chooseWordsFile = [&](const QString&) { return file; };
        QTest::keyClicks(tab.FilterEdit(), "fernweh");
        QTest::mouseClick(tab.ExportButton(), Qt::LeftButton);
        QVERIFY2(FileBytes(file).contains(
                     "Fernweh\t\"Notes: \"\"On\"\" Things \xC2\xB7 de \xC2\xB7 A deep fernweh, always.\""),
                 FileBytes(file).constData());
    }

    void aShelfChosenLeavesOnlyItsBooks() {
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        QVERIFY(f.LoadDatabase(m_database));
        QComboBox& shelves = *tab.ShelfChoice();
        QStringList names;
        for (int i = 0; i < shelves.count(); ++i)
            names << shelves.itemText(i);
        // Deleted collections, and the book's place deleted from one, are not offered.
        QCOMPARE(names, (QStringList{"all shelves", "<b>Best</b> & \"more\"", "=HYPERLINK(1)", "Bought", "To read"}));
        QCOMPARE(tab.Proxy()->rowCount(), 3);
        shelves.setCurrentIndex(shelves.findText("To read"));
        QCOMPARE(Column(*tab.Proxy(), LibraryBooksModel::Title), QStringList{"Notes: \"On\" Things"});
        QTest::keyClicks(tab.FilterEdit(), "store");
        QCOMPARE(tab.Proxy()->rowCount(), 0); // both filters at once
        tab.FilterEdit()->clear();
        shelves.setCurrentIndex(shelves.findText("Bought"));
        QCOMPARE(Column(*tab.Proxy(), LibraryBooksModel::Title), QStringList{"A Store Book"});
        // A book asked for that the shelf hides is shown all the same.
        QVERIFY(tab.SelectBook(QString::fromStdString(kUntitled)));
        QCOMPARE(shelves.currentIndex(), 0);
        QCOMPARE(tab.Proxy()->rowCount(), 3);
        // The shelf stays chosen when the database is loaded again.
        shelves.setCurrentIndex(shelves.findText("Bought"));
        QVERIFY(f.LoadDatabase(m_database));
        QCOMPARE(shelves.currentText(), QString("Bought"));
        QCOMPARE(tab.Proxy()->rowCount(), 1);
    }

    void exportAllAsKindleClippingsWritesOneFile() {
        TForm1& f = *m_form;
        QVERIFY(f.LoadDatabase(m_database));
        f.TabSheet4->SelectFormat(ExportFormat::Clippings);
        f.exportallbooks1->trigger();
        const QDir results(m_program->filePath("results"));
        QCOMPARE(results.entryList(QDir::Files), QStringList{"My Clippings_0000.txt"});
        QCOMPARE(f.TntLabel6->text(), QString("My Clippings_0000.txt written: 7 highlights"));
        const QByteArray clippings = FileBytes(results.filePath("My Clippings_0000.txt"));
        QCOMPARE(clippings.count("\r\n==========\r\n"), 9); // each entry's end: 5 highlights, 2 notes, 2 bookmarks
        QVERIFY(m_boxes.isEmpty());
    }

private:
    OpenedUrls m_opened;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<QTemporaryDir> m_program;
    QString m_database;
    QStringList m_boxes;
};

int main(int argc, char* argv[]) {
    QStandardPaths::setTestModeEnabled(true);
    MarvikApplication app(argc, argv);
    WordsAndShelvesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WordsAndShelvesTest.moc"
