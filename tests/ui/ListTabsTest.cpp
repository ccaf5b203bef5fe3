// The list tabs, the options and the console in the window on the offscreen platform, against real databases and
// real files.
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "TForm1.h"
#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>

namespace {

const std::string kWinter = "/mnt/onboard/Sea/A Winter Voyage.epub";
const std::string kAutumn = "/mnt/onboard/autumn tales.epub";
const std::string kBroken = "/mnt/onboard/Broken.kepub.epub";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void MakeLibrary(const QString& file) {
    fixture::ReaderDatabase reader(file.toStdString());
    fixture::AddWinterVoyage(reader, kWinter);
    reader.AddBook({.volumeId = kAutumn, .title = "Autumn Tales", .author = "Zed Writer"});
    reader.AddBook({.volumeId = kBroken, .title = "Broken", .author = "Some Author"});
    reader.AddPart({.contentId = kAutumn + "#1", .bookId = kAutumn, .bookTitle = "Autumn Tales"});
    reader.AddPart({.contentId = kBroken + "!!ch1.html", .bookId = kBroken, .bookTitle = "Broken", .title = "One"});
    reader.AddBookmark({.bookmarkId = "a1", .volumeId = kAutumn, .contentId = kAutumn + "#1", .text = "Leaves."});
    // Damaged ids: the part is named with a fragment that no content row has.
    reader.AddBookmark({.bookmarkId = "b1",
                        .volumeId = kBroken,
                        .contentId = kBroken + "!!ch1.html#frag1",
                        .startContainerPath = "span#kobo.3.1",
                        .text = "Broken one."});
    reader.AddBookmark({.bookmarkId = "b2",
                        .volumeId = kBroken,
                        .contentId = kBroken + "!!ch1.html#frag2",
                        .startContainerPath = "span#kobo.4.1",
                        .text = "Broken two."});
}

} // namespace

class ListTabsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
        QDesktopServices::setUrlHandler("file", &m_opened, "open");
        m_opened.urls.clear();
        m_program = std::make_unique<QTemporaryDir>();
        m_database = m_program->filePath("KoboReader.sqlite");
        MakeLibrary(m_database);
        m_form =
            std::make_unique<TForm1>(m_program->path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        m_form->LoadDatabase(m_database);
    }
    void cleanup() {
        m_form.reset();
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }

    void selectionFillsTheLabels() {
        TForm1& f = *m_form;
        f.TntListBox1->setCurrentRow(2); // rows: autumn, Broken, Winter
        QCOMPARE(f.TntListBox1->currentItem()->text(), QString::fromStdString(kWinter));
        QCOMPARE(f.TntLabel10->text(), QString("Some Author"));
        QCOMPARE(f.TntLabel1->text(), QString("A Winter Voyage"));
        f.TntListBox2->setCurrentRow(0);
        QCOMPARE(f.TntLabel2->text(), QString("Zed Writer"));
        QCOMPARE(f.TntLabel11->text(), QString::fromStdString(kAutumn));
        f.TntListBox3->setCurrentRow(1);
        QCOMPARE(f.TntLabel7->text(), QString("Broken"));
        QCOMPARE(f.TntLabel8->text(), QString::fromStdString(kBroken));
    }

    void searchAsYouTypeAndFindNext() {
        TForm1& f = *m_form;
        QLineEdit* edit = f.TntEdit1;
        QTest::keyClicks(edit, "Tales");
        QCOMPARE(f.TntListBox1->currentRow(), -1); // case matters while the box is ticked
        f.TntCheckBox1->setChecked(false);
        edit->clear();
        QTest::keyClicks(edit, "tales");
        QCOMPARE(f.TntListBox1->currentRow(), 0);
        QCOMPARE(f.TntLabel1->text(), QString("Autumn Tales"));
        QTest::keyClicks(edit, "xyz");
        QCOMPARE(f.TntListBox1->currentRow(), 0); // typing past the last match keeps the selection

        edit->setText("onboard/");
        QCOMPARE(f.TntListBox1->currentRow(), 0);
        QTest::mouseClick(f.TntButton1, Qt::LeftButton);
        QCOMPARE(f.TntListBox1->currentRow(), 1);
        QTest::mouseClick(f.TntButton1, Qt::LeftButton);
        QCOMPARE(f.TntListBox1->currentRow(), 2);
        QTest::mouseClick(f.TntButton1, Qt::LeftButton);
        QCOMPARE(f.TntListBox1->currentRow(), 2); // no wrap-around
        QCOMPARE(f.TntLabel1->text(), QString("A Winter Voyage"));

        edit->clear();
        QCOMPARE(f.TntListBox1->currentRow(), 2); // an empty needle matches nothing
        QCOMPARE(f.TntLabel1->text(), QString("A Winter Voyage"));

        // "find next" with nothing selected starts at the first row; a needle in the middle of a row matches.
        f.TntEdit4->setText("zzz");
        QCOMPARE(f.TntListBox3->currentRow(), -1);
        f.TntEdit4->blockSignals(true);
        f.TntEdit4->setText("Writ");
        f.TntEdit4->blockSignals(false);
        QTest::mouseClick(f.TntButton3, Qt::LeftButton);
        QCOMPARE(f.TntListBox3->currentItem()->text(), QString("Zed Writer"));
        QCOMPARE(f.TntLabel8->text(), QString::fromStdString(kAutumn));
    }

    void doubleClickOnEveryTabWritesTheSameFileAsTheCommandLine() {
        TForm1& f = *m_form;
        f.TntEdit1->setText("Winter");
        f.TntEdit2->setText("Winter");
        f.TntEdit4->setText("Some Author"); // the first such row is the Broken book's
        QTest::mouseClick(f.TntButton3, Qt::LeftButton);
        QCOMPARE(f.TntLabel8->text(), QString::fromStdString(kWinter));

        DoubleClick(f.TntListBox1);
        DoubleClick(f.TntListBox2);
        DoubleClick(f.TntListBox3);
        const QString stem = m_program->filePath("results/A Winter Voyage.epub.annotations");
        const QByteArray expected = CommandLineExport({});
        QVERIFY(expected.startsWith("\xEF\xBB\xBF>>>Title: A Winter Voyage\r\n"));
        for (const char* number : {"_0000.txt", "_0001.txt", "_0002.txt"})
            QCOMPARE(FileBytes(stem + number), expected);
        QCOMPARE(m_opened.urls.size(), 3); // the file browser is asked to show each file
        QCOMPARE(m_opened.urls[0], QUrl::fromLocalFile(m_program->filePath("results")));
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(f.TntLabel6->text().isEmpty());
        QCOMPARE(f.ProgressBar1->value(), 0);

        // The options are read at the double-click.
        f.TntEdit3->setText(" | ");
        f.TntCheckBox3->setChecked(false);
        f.CheckBox1->setChecked(true);
        DoubleClick(f.TntListBox1);
        QCOMPARE(FileBytes(stem + ".txt"), CommandLineExport({"--separator", " | ", "--no-bom", "--override"}));
        QVERIFY(FileBytes(stem + ".txt").contains("It was cold that morning. | good opening\r\n"));
        QVERIFY(!QFile::exists(stem + "_0003.txt"));

        // A loaded file that has gone makes a double-click do nothing at all.
        QFile::remove(m_database);
        DoubleClick(f.TntListBox2);
        QCOMPARE(m_opened.urls.size(), 4);
        QVERIFY(m_boxes.isEmpty());
    }

    void shiftDoubleClickProposesRepairsThatTheConsoleRuns() {
        TForm1& f = *m_form;
        f.TntListBox1->setCurrentRow(1);
        QCOMPARE(f.TntListBox1->currentItem()->text(), QString::fromStdString(kBroken));
        DoubleClick(f.TntListBox1, Qt::ShiftModifier);
        DoubleClick(f.TntListBox1, Qt::ShiftModifier);
        const QString one = QString::fromStdString("UPDATE Bookmark SET ContentID=\"" + kBroken +
                                                   "!!ch1.html\" WHERE ContentID=\"" + kBroken + "!!ch1.html#frag1\";");
        const QString two = QString::fromStdString("UPDATE Bookmark SET ContentID=\"" + kBroken +
                                                   "!!ch1.html\" WHERE ContentID=\"" + kBroken + "!!ch1.html#frag2\";");
        QCOMPARE(f.Memo1->toPlainText(), QStringList({one, two, one, two}).join('\n'));
        QVERIFY(!QDir(m_program->filePath("results")).entryList(QDir::Files).size());

        QVERIFY(!f.Button2->isEnabled());
        f.CheckBox2->setChecked(true);
        QVERIFY(f.Button2->isEnabled());
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(f.Memo1->toPlainText().count('\n'), 3); // a run leaves the console's text alone

        DoubleClick(f.TntListBox1);
        const QByteArray file = FileBytes(m_program->filePath("results/Broken.kepub.epub.annotations_0000.txt"));
        QCOMPARE(file, QByteArray("\xEF\xBB\xBF>>>Title: Broken\r\n>>>Author: Some Author\r\n>>>SECTION: One\r\n"
                                  "Broken one.\t\r\nBroken two.\t\r\n"));
    }

    void consoleRunsLineByLineAndStopsAtTheFirstFailure() {
        TForm1& f = *m_form;
        f.CheckBox2->setChecked(true);
        const auto run = [&](const QString& text) {
            f.Memo1->setPlainText(text);
            m_boxes.clear();
            QTest::mouseClick(f.Button2, Qt::LeftButton);
        };
        run("CREATE TABLE t (x INTEGER)\n\nINSERT INTO t VALUES (1)\n\nINSERT INTO t VALUES (2); INSERT INTO t VALUES "
            "(3)");
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(Count("SELECT count(*) FROM t"), 2); // blank lines are skipped; a line runs its first statement

        run("INSERT INTO t VALUES (4)\n   \nINSERT INTO t VALUES (5)");
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QString("Could not prepare SQL statement."));
        QCOMPARE(Count("SELECT count(*) FROM t"), 3); // earlier lines stay, later lines do not run

        run("SELECT x FROM t WHERE x = 99\nSELECT x FROM t");
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QString("Error executing SQL statement."));

        run("BEGIN\nINSERT INTO t VALUES (6)\nSELEKT");
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].text.startsWith("Error executing SQL.\nError [1]: SQL error or missing database.\n"));
        QCOMPARE(Count("SELECT count(*) FROM t"), 3); // the open transaction was rolled back, not left open
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(m_database.toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "INSERT INTO t VALUES (7)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    }

    void exportAllBooksAndTheOptionsOfCurrentFirmware() {
        const QString current = m_program->filePath("current.sqlite");
        {
            fixture::ReaderDatabase reader(current.toStdString());
            fixture::AddCurrentFirmwareLibrary(reader);
        }
        TForm1& f = *m_form;
        QVERIFY(f.CheckBox3->isChecked() && f.CheckBox4->isChecked());
        f.LoadDatabase(current);
        QCOMPARE(f.TntListBox1->count(), 3); // the book whose bookmarks were all deleted is left out

        f.CheckBox1->setChecked(true);
        QDir().mkpath(QString::fromStdString(
            AnnotationTargetPath(ToPath(m_program->filePath("results")), fixture::current::kPlain).string()));
        f.exportallbooks1->trigger();
        const QDir results(m_program->filePath("results"));
        QCOMPARE(results.entryList(QDir::Files).size(), 2);
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(results.path())});
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].caption, QString("Marvik text extractor info"));
        QVERIFY(m_boxes[0].text.startsWith("something went wrong!"));
        QVERIFY(m_boxes[0].text.endsWith(QString::fromStdString(fixture::current::kPlain)));
        QVERIFY(FileBytes(results.filePath("The Art of War.kepub.epub.annotations.txt")).contains("I: Laying Plans"));

        // Unticked, the boxes give back the older reading, at the next load and export.
        f.CheckBox3->setChecked(false);
        f.CheckBox4->setChecked(false);
        f.LoadDatabase(current);
        QCOMPARE(f.TntListBox1->count(), 4);
        f.TntListBox1->setCurrentRow(2);
        QCOMPARE(f.TntListBox1->currentItem()->text(), QString::fromStdString(fixture::current::kKepub));
        DoubleClick(f.TntListBox1);
        const QByteArray old = FileBytes(results.filePath("The Art of War.kepub.epub.annotations.txt"));
        QVERIFY(old.contains(">>>SECTION: epub/text/chapter-1.xhtml\r\n"));
        QVERIFY(old.contains("A deleted highlight."));
    }

    void separatorCodes() {
        TForm1& f = *m_form;
        const QList<QPair<QString, QString>> cases = {
            {"\t", "#9"}, {", ", "#44#32"}, {"\u00e9", "#195#169"}, {"", ""}, {"\U0001F600", "#240#159#152#128"}};
        for (const auto& [separator, codes] : cases) {
            f.TntEdit3->setText(separator);
            QCOMPARE(f.Label1->text(), codes);
        }
    }

private:
    // Press, release, double-click, release on the row's place in the viewport, as a person's double-click arrives.
    static void DoubleClick(QListWidget* list, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (list->currentRow() < 0)
            list->setCurrentRow(0);
        const QPoint at = list->visualItemRect(list->currentItem()).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, modifiers, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, at);
    }

    // What the command line writes for the Winter book with these options, into a folder of its own.
    QByteArray CommandLineExport(const QStringList& options) {
        QTemporaryDir results;
        QProcess cli;
        cli.start(MARVIK_CLI, QStringList{"export", "--db", m_database, "--results", results.path()} + options +
                                  QStringList{QString::fromStdString(kWinter)});
        if (!cli.waitForFinished(20000) || cli.exitCode() != 0)
            return "marvik-cli failed: " + cli.readAllStandardError();
        return FileBytes(QString::fromUtf8(cli.readAllStandardOutput()).trimmed());
    }

    int Count(const QString& sql) {
        sqlite3* db = nullptr;
        sqlite3_open(m_database.toUtf8().constData(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
        const int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return count;
    }

    std::unique_ptr<QTemporaryDir> m_program;
    QString m_database;
    std::unique_ptr<TForm1> m_form;
    QList<MessageBoxRequest> m_boxes;
    OpenedUrls m_opened;
};

QTEST_MAIN(ListTabsTest)
#include "ListTabsTest.moc"
