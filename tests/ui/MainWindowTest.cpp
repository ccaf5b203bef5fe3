// The window on the offscreen platform, under the program's own application object: start-up, loading through the
// menu and by drop, the menus with handed-in volumes, the list tabs, the options, the console and the error display.
// Real databases and files; the file browser is a stand-in on the test's own session bus.
#include "BookListTab.h"
#include "ErrorDisplay.h"
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "OptionsTab.h"
#include "PluggableVolumes.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "TForm1.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"
#include "WindowProgress.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QUrl>

#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <stdexcept>

namespace {

const std::string kWinter = "/mnt/onboard/Sea/A Winter Voyage.epub";
const std::string kAutumn = "/mnt/onboard/autumn tales.epub";
const std::string kBroken = "/mnt/onboard/Broken.kepub.epub";
const std::string kKniga = "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub"; // no part, so no title

// Four books, one per row of each list in a known order; the Broken one's bookmarks name parts that do not exist.
void MakeLibrary(const QString& file) {
    fixture::ReaderDatabase reader(file.toStdString());
    fixture::AddWinterVoyage(reader, kWinter);
    reader.AddBook({.volumeId = kAutumn, .title = "Autumn Tales", .author = "Zed Writer"});
    reader.AddBook({.volumeId = kBroken, .title = "Broken", .author = "Some Author"});
    reader.AddBook({.volumeId = kKniga, .title = "Kniga", .author = "\xD0\x90\xD0\xB2\xD1\x82\xD0\xBE\xD1\x80"});
    reader.AddPart({.contentId = kAutumn + "#1", .bookId = kAutumn, .bookTitle = "Autumn Tales"});
    reader.AddPart({.contentId = kBroken + "!!ch1.html", .bookId = kBroken, .bookTitle = "Broken", .title = "One"});
    reader.AddBookmark({.bookmarkId = "a1", .volumeId = kAutumn, .contentId = kAutumn + "#1", .text = "Leaves."});
    reader.AddBookmark({.bookmarkId = "k1", .volumeId = kKniga, .contentId = kKniga + "#1"});
    for (const std::string n : {"1", "2"})
        reader.AddBookmark({.bookmarkId = "b" + n,
                            .volumeId = kBroken,
                            .contentId = kBroken + "!!ch1.html#frag" + n,
                            .startContainerPath = "span#kobo." + n + ".1"});
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the file manager is asked to show for a file.
QString Shown(const QString& file) {
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

// A count read on a connection of its own.
std::int64_t Count(const QString& database, const std::string& sql) {
    TSQLiteDatabase connection(database.toStdString());
    return connection.GetTable(sql).FieldAsInteger(0);
}

// Press, release, double-click, release on the selected row, as a person's double-click arrives.
void DoubleClick(QListWidget* list, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint at = list->visualItemRect(list->currentItem()).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, at);
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

// Stands in for the desktop's file manager: records the items it is asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList& uris, const QString& /*startupId*/) { shown += uris; }
};

// Fails in its event handler: with each message in turn, then with something that is no exception class.
class FailingObject : public QObject {
public:
    QStringList messages;
    int events = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (events < messages.size())
            throw std::runtime_error(messages[events++].toStdString());
        ++events;
        throw 42;
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.registerObject("/org/freedesktop/FileManager1", &m_manager, QDBusConnection::ExportAllSlots) &&
                     bus.registerService("org.freedesktop.FileManager1"),
                 "no session bus of its own: run under dbus-run-session");
    }
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf")); // a first start each time
        QDir(FromPath(UserBackupFolder())).removeRecursively();
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
        QDesktopServices::setUrlHandler("file", &m_opened, "open");
        m_opened.urls.clear();
        m_manager.shown.clear();
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

    void startUpState() {
        const QString program = m_program->filePath("deep/er/program");
        TForm1 form(program);
        QCOMPARE(form.windowTitle(), QString("Marvik annotation extractor 0.5 "));
        QCOMPARE(form.PageControl1->tabText(3), QString("authors"));
        for (const char* name :
             {"TntLabel1", "TntLabel2", "TntLabel7", "TntLabel8", "TntLabel10", "TntLabel11", "TntLabel6"})
            QVERIFY2(form.findChild<QLabel*>(name)->text().isEmpty(), name);
        for (const char* name :
             {"TntCheckBox1", "TntCheckBox2", "TntCheckBox6", "TntCheckBox3", "skipDeletedBox", "chapterTitlesBox"})
            QVERIFY2(form.findChild<QCheckBox*>(name)->isChecked(), name);
        // Every described widget is found by its name, whichever part of the window holds it.
        for (const char* name :
             {"PageControl1", "TabSheet1",   "TntLabel4",    "TntEdit1",  "TntCheckBox1", "TntButton1",  "TntListBox1",
              "TntLabel10",   "TntLabel1",   "TabSheet2",    "TntLabel3", "TntEdit2",     "TntListBox2", "TntCheckBox2",
              "TntButton2",   "TntLabel2",   "TntLabel11",   "TabSheet3", "TntLabel9",    "TntListBox3", "TntEdit4",
              "TntCheckBox6", "TntButton3",  "TntLabel7",    "TntLabel8", "TabSheet4",    "TntLabel5",   "TntEdit3",
              "Label1",       "CheckBox1",   "TntCheckBox3", "CheckBox2", "TabSheet5",    "Memo1",       "Button2",
              "TntLabel6",    "ProgressBar1"})
            QVERIFY2(form.findChild<QWidget*>(name) != nullptr, name);
        QCOMPARE(form.findChild<QLabel*>("TntLabel4")->text(), QString("find:"));
        QCOMPARE(form.findChild<QLabel*>("TntLabel9")->text(), QString("find"));
        QVERIFY(!form.findChild<QCheckBox*>("CheckBox1")->isChecked());
        QVERIFY(!form.findChild<QCheckBox*>("CheckBox2")->isChecked());
        QVERIFY(!form.findChild<QPushButton*>("Button2")->isEnabled());
        QCOMPARE(form.findChild<QLineEdit*>("TntEdit3")->text(), QString("\t"));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("#9"));
        QVERIFY(form.TabSheet4->TntLabel5()->geometry().right() <
                form.TabSheet4->TntEdit3()->x()); // the separator's label is not covered
        QCOMPARE(form.TabSheet4->ExportFormatBox()->currentText(), QString("text"));
        QCOMPARE(form.findChild<QProgressBar*>("ProgressBar1")->value(), 0);
        QVERIFY(form.findChild<QPlainTextEdit*>("Memo1")->toPlainText().isEmpty());
        QCOMPARE(form.ProgramFolder, program + "/");
        QVERIFY(QFileInfo(program + "/results").isDir()); // made with its parents

        // A second start leaves the results folder and what is in it alone.
        QFile kept(program + "/results/kept.txt");
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();
        TForm1 second(program);
        QVERIFY(kept.exists());

        // Below a file the folder cannot be made: start-up goes on without a word.
        TForm1 blocked(kept.fileName());
        QCOMPARE(blocked.windowTitle(), QString("Marvik annotation extractor 0.5 "));
        QVERIFY(m_boxes.isEmpty());
    }

    void loadingThroughTheMenuFillsTheListsInOrder() {
        TForm1& f = *m_form;
        // A path that names no file empties everything, and the loaded path stays.
        f.TabSheet1->List()->setCurrentRow(0);
        f.LoadDatabase(m_program->filePath("gone.sqlite"));
        QVERIFY(Rows(f.TabSheet1->List()).isEmpty() && Rows(f.TabSheet2->List()).isEmpty() &&
                Rows(f.TabSheet3->List()).isEmpty());
        QVERIFY(f.TabSheet1->LowerLabel()->text().isEmpty() && f.Volumes().Empty());
        QCOMPARE(f.DatabasePath(), m_database);
        QCOMPARE(f.DatabasePathLabel->text(), "database: " + m_database);
        QCOMPARE(f.TntLabel6->text(), "database file not found: " + m_program->filePath("gone.sqlite"));
        QVERIFY(!QFile::exists(m_program->filePath("gone.sqlite")));

        emit f.loaddatabase1->aboutToShow();
        QVERIFY(f.fromprogrampath1->isEnabled());
        QCOMPARE(f.fromprogrampath1->text(), "from &program folder (" + f.ProgramFolder + "KoboReader.sqlite)");
        f.fromprogrampath1->trigger();
        QCOMPARE(Rows(f.TabSheet1->List()),
                 QStringList({"/mnt/onboard/autumn tales.epub", "/mnt/onboard/Broken.kepub.epub",
                              "/mnt/onboard/Sea/A Winter Voyage.epub", QString::fromStdString(kKniga)}));
        QCOMPARE(Rows(f.TabSheet2->List()), QStringList({"Autumn Tales", "Broken", "A Winter Voyage"}));
        QCOMPARE(Rows(f.TabSheet3->List()),
                 QStringList({"Zed Writer", "Some Author", "Some Author", "\u0410\u0432\u0442\u043E\u0440"}));
        QCOMPARE(f.TntLabel6->text(), QString("database loaded: 4 books"));
    }

    void droppedFilesLeaveOutWhatIsNoReadersAndShowWhatFails() {
        const QString notes = m_program->filePath("notes.txt");
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'n'));
        file.close();
        Drop(m_form.get(), {QUrl::fromLocalFile(notes)});
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QString("This file is not a Kobo reader database.\n\nError executing SQL.\nError "
                                          "[26]: File opened that is not a database "
                                          "file.\n\"SELECT VolumeID, StartContainerChildIndex FROM Bookmark\": file "
                                          "is not a database."));
        QCOMPARE(m_form->TntLabel6->text(), QString("could not open notes.txt"));
        QCOMPARE(m_form->ProgressBar1->value(), 0);
        // The library that was loaded stays whole: its file, its lists, its table.
        QCOMPARE(m_form->DatabasePathLabel->text(), "database: " + m_database);
        QCOMPARE(m_form->DatabasePath(), m_database);
        QVERIFY(m_form->Loaded());
        QCOMPARE(m_form->TabSheet1->List()->count(), 4);
        QCOMPARE(m_form->LibraryPage->Pages()->currentIndex(), 1);
        QCOMPARE(m_form->LibraryPage->Proxy()->rowCount(), 4);

        // Of several files, what holds no reader's highlights is left out and told; a path arrives whole however long
        // it is.
        const QString longName = QString("a folder with a long name ").repeated(6);
        const QString first = m_program->filePath(longName + "/" + longName + "/copy of.sqlite");
        QVERIFY(QDir().mkpath(QFileInfo(first).path()));
        MakeLibrary(first);
        Drop(m_form.get(), {QUrl::fromLocalFile(first), QUrl::fromLocalFile(notes)});
        QCOMPARE(m_form->DatabasePath(), first);
        QCOMPARE(m_form->TabSheet1->List()->count(), 4);
        QCOMPARE(m_form->TntLabel6->text(),
                 QString("database loaded: 4 books; left out, no reader's highlights: notes.txt"));
        QCOMPARE(m_boxes.size(), 1);
    }

    void menusFindTheReaderByLabelOrDatabaseAndOpenFolders() {
        QTemporaryDir disks;
        const auto volume = [&](const QString& name, const std::string& label, bool withDatabase) {
            QDir().mkpath(disks.filePath(name + "/.kobo"));
            if (withDatabase)
                MakeLibrary(disks.filePath(name + "/.kobo/KoboReader.sqlite"));
            return MountedVolume{disks.filePath(name).toStdString(), label};
        };
        const MountedVolume e = volume("e", "KOBOeReader", true), g = volume("g", "KOBOeReader", true);
        const MountedVolume plain = volume("plain", "kobOEREADER", false), other = volume("o", "KOBOeReader2", true);
        const MountedVolume bare{disks.filePath("bare").toStdString(), "KOBOeReader"};
        QTemporaryDir program;
        const auto refresh = [&](std::vector<MountedVolume> volumes) {
            m_form = std::make_unique<TForm1>(program.path(), std::make_shared<ListedVolumes>(std::move(volumes)));
            emit m_form->loaddatabase1->aboutToShow();
            emit m_form->openfolders1->aboutToShow();
            return m_form.get();
        };
        TForm1* f = refresh({g, other, e}); // the first in root order
        QCOMPARE(f->ReaderDrive, disks.filePath("e"));
        QCOMPARE(f->fromMarvik1->text(), "from &Kobo Reader (" + disks.filePath("e/.kobo/KoboReader.sqlite") + ")");
        QVERIFY(f->fromMarvik1->isEnabled());
        QCOMPARE(f->fromprogrampath1->text(), QString("from &program folder"));
        QVERIFY(!f->fromprogrampath1->isEnabled());
        f->fromMarvik1->trigger();
        QCOMPARE(f->DatabasePath(), disks.filePath("e/.kobo/KoboReader.sqlite"));

        // Another label, but the reader's database: found by it.
        f = refresh({other});
        QCOMPARE(f->ReaderDrive, disks.filePath("o"));
        QVERIFY(f->fromMarvik1->isEnabled() && f->openMarvikkobo1->isEnabled());

        // The label in other letters, but no database: found, yet not offered; its folder opens.
        f = refresh({plain});
        QCOMPARE(f->ReaderDrive, disks.filePath("plain"));
        QVERIFY(!f->fromMarvik1->isEnabled());
        QVERIFY(f->openMarvikkobo1->isEnabled() && f->openresultfolder1->isEnabled());
        f->opemprogramfolder1->trigger();
        f->openresultfolder1->trigger();
        f->openMarvikkobo1->trigger();
        QCOMPARE(m_opened.urls,
                 QList<QUrl>({QUrl::fromLocalFile(f->ProgramFolder), QUrl::fromLocalFile(f->ProgramFolder + "results"),
                              QUrl::fromLocalFile(disks.filePath("plain/.kobo"))}));

        QVERIFY2(!refresh({bare})->openMarvikkobo1->isEnabled(), "a reader without .kobo has no folder to open");

        // Both sources present; then the results folder goes away.
        MakeLibrary(program.filePath("KoboReader.sqlite"));
        f = refresh({e});
        QVERIFY(f->fromMarvik1->isEnabled() && f->fromprogrampath1->isEnabled());
        QDir(program.filePath("results")).removeRecursively();
        emit f->openfolders1->aboutToShow();
        QVERIFY(!f->openresultfolder1->isEnabled() && f->opemprogramfolder1->isEnabled());
    }

    void selectionFillsTheLabels() {
        TForm1& f = *m_form;
        f.TabSheet1->List()->setCurrentRow(2);
        QCOMPARE(f.TabSheet1->UpperLabel()->text(), QString("Some Author"));
        QCOMPARE(f.TabSheet1->LowerLabel()->text(), QString("A Winter Voyage"));
        f.TabSheet1->List()->setCurrentRow(3);
        QCOMPARE(f.TabSheet1->UpperLabel()->text(), QString("\u0410\u0432\u0442\u043E\u0440"));
        QVERIFY(f.TabSheet1->LowerLabel()->text().isEmpty()); // a volume without a title pair
        f.TabSheet2->List()->setCurrentRow(0);
        QCOMPARE(f.TabSheet2->UpperLabel()->text(), QString("Zed Writer"));
        QCOMPARE(f.TabSheet2->LowerLabel()->text(), QString::fromStdString(kAutumn));
        f.TabSheet3->List()->setCurrentRow(1);
        QCOMPARE(f.TabSheet3->UpperLabel()->text(), QString("Broken"));
        QCOMPARE(f.TabSheet3->LowerLabel()->text(), QString::fromStdString(kBroken));
    }

    void searchAsYouTypeAndFindNext() {
        TForm1& f = *m_form;
        QLineEdit* edit = f.TabSheet1->SearchEdit();
        QTest::keyClicks(edit, "Tales");
        QCOMPARE(f.TabSheet1->List()->currentRow(), -1); // case matters while the box is ticked
        f.TabSheet1->CaseBox()->setChecked(false);
        edit->clear();
        QTest::keyClicks(edit, "tales");
        QCOMPARE(f.TabSheet1->List()->currentRow(), 0);
        QCOMPARE(f.TabSheet1->LowerLabel()->text(), QString("Autumn Tales"));
        QTest::keyClicks(edit, "xyz");
        QCOMPARE(f.TabSheet1->List()->currentRow(), 0); // typing past the last match keeps the selection
        QCOMPARE(f.TntLabel6->text(), QString("not found"));

        edit->setText("onboard/S");
        QCOMPARE(f.TabSheet1->List()->currentRow(), 2);
        QCOMPARE(f.TabSheet1->LowerLabel()->text(), QString("A Winter Voyage"));
        QVERIFY(f.TntLabel6->text().isEmpty());
        edit->setText("onboard/");
        QCOMPARE(f.TabSheet1->List()->currentRow(), 0); // typing searches from the top again
        QTest::mouseClick(f.TabSheet1->FindNextButton(), Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.TabSheet1->List()->currentRow(), 2);
        f.PageControl1->setCurrentWidget(f.TabSheet1);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(&f, Qt::Key_F3);
        QCOMPARE(f.TabSheet1->List()->currentRow(), 3);
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(f.TabSheet1->List()->currentRow(), 0); // after the last match, the first
        edit->clear();
        QCOMPARE(f.TabSheet1->List()->currentRow(), 0); // an empty needle matches nothing

        // A case box takes effect at the next search; "find next" with nothing selected starts at the first row.
        QTest::keyClicks(f.TabSheet3->SearchEdit(), "writ");
        f.TabSheet3->CaseBox()->setChecked(false);
        QCOMPARE(f.TabSheet3->List()->currentRow(), -1);
        QTest::mouseClick(f.TabSheet3->FindNextButton(), Qt::LeftButton);
        QCOMPARE(f.TabSheet3->List()->currentItem()->text(), QString("Zed Writer"));
        QCOMPARE(f.TabSheet3->LowerLabel()->text(), QString::fromStdString(kAutumn));
    }

    void doubleClickOnEveryTabWritesTheNextNumberedFileAndShowsIt() {
        TForm1& f = *m_form;
        for (QListWidget* list : {f.TabSheet1->List(), f.TabSheet2->List(), f.TabSheet3->List()}) {
            list->setCurrentRow(2); // the Winter book's row on every tab
            DoubleClick(list);
        }
        const QString stem = m_program->filePath("results/A Winter Voyage.epub.annotations");
        QStringList written;
        for (const char* number : {"_0000.txt", "_0001.txt", "_0002.txt"}) {
            QCOMPARE(FileBytes(stem + number), QByteArray("\xEF\xBB\xBF") + fixture::kWinterVoyageFile);
            written << Shown(stem + number);
        }
        QCOMPARE(m_manager.shown, written);
        QVERIFY(m_boxes.isEmpty() && m_opened.urls.isEmpty());
        QCOMPARE(f.TntLabel6->text(),
                 QString("3 highlights written to A Winter Voyage.epub.annotations_0002.txt in results"));
        QCOMPARE(f.ProgressBar1->value(), 0);

        // The options are read at the double-click; the separator's UTF-8 bytes show beside it.
        for (const auto& [separator, codes] : QList<QPair<QString, QString>>{
                 {"", ""}, {"\U0001F600", "#240#159#152#128"}, {", ", "#44#32"}, {"\u00e9", "#195#169"}}) {
            f.TabSheet4->TntEdit3()->setText(separator);
            QCOMPARE(f.TabSheet4->Label1()->text(), codes);
        }
        f.TabSheet4->TntCheckBox3()->setChecked(false);
        f.TabSheet4->CheckBox1()->setChecked(true);
        DoubleClick(f.TabSheet1->List());
        QCOMPARE(FileBytes(stem + ".txt"), QByteArray(">>>Title: A Winter Voyage\r\n>>>Author: Some Author\r\n"
                                                      ">>>SECTION: Chapter One\r\n"
                                                      "It was cold that morning.\xC3\xA9good opening\r\n"
                                                      "The ship left at dawn.\xC3\xA9\r\n"
                                                      ">>>SECTION: Chapter Two\r\n"
                                                      "\xC3\xA9"
                                                      "check this date\r\n"));
        QCOMPARE(m_manager.shown.last(), Shown(stem + ".txt"));

        // Enter on a row exports it too, in the format the options name.
        f.TabSheet4->ExportFormatBox()->setCurrentText("CSV");
        QTest::keyClick(f.TabSheet1->List(), Qt::Key_Return);
        QCOMPARE(m_manager.shown.last(), Shown(m_program->filePath("results/A Winter Voyage - Some Author.csv")));

        // A loaded file that has gone makes a double-click write nothing, and say so.
        QFile::remove(m_database);
        DoubleClick(f.TabSheet2->List());
        QCOMPARE(m_manager.shown.size(), 5);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(f.TntLabel6->text(), QString("nothing exported: the database file is gone"));
    }

    void shiftDoubleClickProposesRepairsAndTheConsoleRunsLineByLine() {
        TForm1& f = *m_form;
        f.TabSheet1->List()->setCurrentRow(1);
        DoubleClick(f.TabSheet1->List(), Qt::ShiftModifier);
        DoubleClick(f.TabSheet1->List(), Qt::ShiftModifier);
        const auto repair = [](const std::string& n) {
            return QString::fromStdString("UPDATE Bookmark SET ContentID=\"" + kBroken +
                                          "!!ch1.html\" WHERE ContentID=\"" + kBroken + "!!ch1.html#frag" + n + "\";");
        };
        QCOMPARE(f.Memo1->toPlainText(), QStringList({repair("1"), repair("2"), repair("1"), repair("2")}).join('\n'));
        QCOMPARE(f.TntLabel6->text(), QString("2 repair statements added to the console"));
        QVERIFY(QDir(m_program->filePath("results")).isEmpty());

        QVERIFY(!f.Button2->isEnabled());
        f.TabSheet4->CheckBox2()->setChecked(true);
        QVERIFY(f.Button2->isEnabled());
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(f.Memo1->toPlainText().count('\n'), 3); // a run leaves the console's text alone
        QCOMPARE(Count(m_database, "SELECT count(*) FROM Bookmark WHERE ContentID LIKE '%#frag%'"), 0);

        const auto run = [&](const QString& text) {
            f.Memo1->setPlainText(text);
            m_boxes.clear();
            QTest::mouseClick(f.Button2, Qt::LeftButton);
        };
        run("CREATE TABLE t (x INTEGER)\n\nINSERT INTO t VALUES (1)\n\nINSERT INTO t VALUES (2); INSERT INTO t VALUES "
            "(3)");
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(Count(m_database, "SELECT count(*) FROM t"), 2); // blank lines skipped; one statement a line

        run("INSERT INTO t VALUES (4)\n   \nINSERT INTO t VALUES (5)");
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QString("Could not prepare SQL statement."));
        QCOMPARE(f.TntLabel6->text(), QString("SQL failed"));
        QCOMPARE(Count(m_database, "SELECT count(*) FROM t"), 3); // earlier lines stay, later lines do not run

        run("BEGIN\nINSERT INTO t VALUES (6)\nSELEKT");
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes[0].text.startsWith("Error executing SQL.\nError [1]: SQL error or missing database.\n"));
        QCOMPARE(Count(m_database, "SELECT count(*) FROM t"), 3); // rolled back, and no lock left behind:
        QVERIFY_THROWS_NO_EXCEPTION(TSQLiteDatabase(m_database.toStdString()).ExecSQL("INSERT INTO t VALUES (7)"));
        f.TabSheet4->CheckBox2()->setChecked(false);
        QVERIFY(!f.Button2->isEnabled());
    }

    void exportAllBooksAndTheReadingOptions() {
        const QString current = m_program->filePath("current.sqlite");
        {
            fixture::ReaderDatabase reader(current.toStdString());
            fixture::AddCurrentFirmwareLibrary(reader);
        }
        TForm1& f = *m_form;
        f.LoadDatabase(current);
        QCOMPARE(f.TabSheet1->List()->count(), 3); // the book whose bookmarks were all deleted is left out

        f.TabSheet4->CheckBox1()->setChecked(true);
        const QDir results(m_program->filePath("results"));
        QVERIFY(results.mkpath("Book.epub.annotations.txt")); // a folder where the plain book's file belongs
        f.exportallbooks1->trigger();
        QCOMPARE(results.entryList(QDir::Files).size(), 2);
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(results.path())});
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].caption, QString("Marvik text extractor info"));
        // Each failed book on a line of its own, with why.
        QCOMPARE(m_boxes[0].text, "something went wrong!\n\nThese books were not exported:\n" +
                                      QString::fromStdString(fixture::current::kPlain) + ": Cannot create file \"" +
                                      results.filePath("Book.epub.annotations.txt") + "\": Is a directory.");
        QCOMPARE(f.TntLabel6->text(), QString("2 books written, 1 failed"));

        // Unticked, the two reading options give back the older reading, at the next load and export.
        f.TabSheet4->SkipDeletedBox()->setChecked(false);
        f.TabSheet4->ChapterTitlesBox()->setChecked(false);
        f.LoadDatabase(current);
        QCOMPARE(f.TabSheet1->List()->count(), 4);
        f.TabSheet1->List()->setCurrentRow(2); // the kepub book
        DoubleClick(f.TabSheet1->List());
        const QByteArray old = FileBytes(results.filePath("The Art of War.kepub.epub.annotations.txt"));
        QVERIFY(old.contains(">>>SECTION: epub/text/chapter-1.xhtml\r\n"));
        QVERIFY(old.contains("A deleted highlight."));
    }

    void longTextsNeverWidenTheWindowAndTheStatusShowsWhole() {
        const std::string longId = "file:///mnt/onboard/" + std::string(250, 'x') + "/Book.epub";
        {
            fixture::ReaderDatabase reader(m_program->filePath("long.sqlite").toStdString());
            reader.AddBook({.volumeId = longId, .title = std::string(300, 't'), .author = "A"});
            reader.AddPart({.contentId = longId + "#1", .bookId = longId, .bookTitle = std::string(300, 't')});
            reader.AddBookmark({.bookmarkId = "l", .volumeId = longId, .contentId = longId + "#1"});
        }
        TForm1& f = *m_form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const int width = f.width();
        f.LoadDatabase(m_program->filePath("long.sqlite"));
        for (QListWidget* list : {f.TabSheet1->List(), f.TabSheet2->List(), f.TabSheet3->List()})
            list->setCurrentRow(0);
        f.PageControl1->setCurrentWidget(f.TabSheet2);
        QApplication::processEvents();
        QCOMPARE(f.width(), width);
        QVERIFY(f.minimumSizeHint().width() <= width);
        QCOMPARE(f.TabSheet2->LowerLabel()->text(), QString::fromStdString(longId));
        f.TabSheet2->LowerLabel()->repaint();
        QCOMPARE(f.TabSheet2->LowerLabel()->toolTip(), QString::fromStdString(longId));
        QVERIFY(f.TntLabel6->width() >= f.TntLabel6->fontMetrics().horizontalAdvance("extracting annotations"));

        // With nothing listed, "export all books" says so and does nothing else.
        f.LoadDatabase(m_program->filePath("gone.sqlite"));
        f.exportallbooks1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("no books listed: nothing to export"));
        QVERIFY(m_opened.urls.isEmpty() && m_boxes.isEmpty());
    }

    void rowMenuFileDialogAboutAndQuit() {
        TForm1& f = *m_form;
        f.TabSheet2->List()->setCurrentRow(-1);
        QVERIFY(f.TabSheet2->RowMenu() == nullptr);
        f.TabSheet2->List()->setCurrentRow(1); // Broken
        const std::unique_ptr<QMenu> menu = f.TabSheet2->RowMenu();
        QCOMPARE(menu->actions().size(), 3);
        menu->actions()[2]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(kBroken));
        menu->actions()[1]->trigger();
        QCOMPARE(f.Memo1->toPlainText().count("UPDATE"), 2);
        menu->actions()[0]->trigger();
        QCOMPARE(m_manager.shown,
                 QStringList{Shown(m_program->filePath("results/Broken.kepub.epub.annotations_0000.txt"))});
        QTest::keyClick(f.TabSheet2->List(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(f.Memo1->toPlainText().count("UPDATE"), 4);

        // "open database file..." starts on the reader when one is there.
        QTemporaryDir disk;
        QVERIFY(QDir(disk.path()).mkpath(".kobo"));
        TForm1 withReader(m_program->path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{
                                                 {disk.path().toStdString(), "KOBOeReader"}}));
        withReader.show();
        QVERIFY(QTest::qWaitForWindowActive(&withReader));
        OpenFileRequest asked;
        SetOpenFileHandler([&](const OpenFileRequest& request) {
            asked = request;
            return m_database;
        });
        QTest::keySequence(&withReader, QKeySequence::Open);
        SetOpenFileHandler({});
        QCOMPARE(asked.folder, disk.filePath(".kobo"));
        QCOMPARE(withReader.TabSheet1->List()->count(), 4);

        // The last database is offered, not loaded, at the next start.
        TForm1 next(m_program->path());
        QCOMPARE(next.TabSheet1->List()->count(), 0);
        emit next.loaddatabase1->aboutToShow();
        QCOMPARE(next.openlastdatabase1->text(), "open &last database (" + m_database + ")");
        next.openlastdatabase1->trigger();
        QCOMPARE(next.TabSheet1->List()->count(), 4);

        next.about1->trigger();
        QCOMPARE(m_boxes.size(), 1);
        for (const QString& part : {QString("Marvik annotation extractor 0.5"), QString("SQLite 3."), QString("ICU "),
                                    QString("Qt 6."), next.ResultsFolder(), QString("/marvik/marvik.conf")})
            QVERIFY2(m_boxes[0].text.contains(part), qPrintable(part));

        next.show();
        QVERIFY(QTest::qWaitForWindowActive(&next));
        QTest::keyClick(&next, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!next.isVisible());
    }

    void aReaderPluggedInAndOutIsNoticed() {
        QTemporaryDir disk;
        QVERIFY(QDir(disk.path()).mkpath(".kobo"));
        MakeLibrary(disk.filePath(".kobo/KoboReader.sqlite"));
        const auto volumes = std::make_shared<PluggableVolumes>();
        TForm1 f(m_program->path(), volumes);
        f.TabSheet4->LoadOnConnectBox()->setChecked(false); // backups alone here
        volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
        QTRY_VERIFY_WITH_TIMEOUT(f.TntLabel6->text().startsWith("reader connected: " + disk.path() + "; backed up to "),
                                 10000);
        const QDir backups(f.BackupsFolder());
        QCOMPARE(backups.entryList(QDir::Files).size(), 1);
        QCOMPARE(f.fromMarvik1->text(), "from &Kobo Reader (" + disk.filePath(".kobo/KoboReader.sqlite") + ")");
        QVERIFY(f.fromMarvik1->isEnabled());
        volumes->mounted.clear();
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), QString("reader disconnected"), 10000);
        QVERIFY(!f.fromMarvik1->isEnabled());
        // Plugged in again unchanged: no second copy. Unticked, no backup at all.
        volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
        QTRY_VERIFY_WITH_TIMEOUT(f.TntLabel6->text().contains("; backup unchanged: "), 10000);
        f.TabSheet4->BackupOnConnectBox()->setChecked(false);
        volumes->mounted.clear();
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), QString("reader disconnected"), 10000);
        fixture::ReaderDatabase(disk.filePath(".kobo/KoboReader.sqlite").toStdString(),
                                fixture::ReaderDatabase::Existing)
            .AddBookmark({.bookmarkId = "new", .volumeId = kAutumn, .contentId = kAutumn + "#1"});
        volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), "reader connected: " + disk.path(), 10000);
        QCOMPARE(backups.entryList(QDir::Files).size(), 1);
        f.backupdatabase1->trigger(); // now it differs
        QTRY_VERIFY(f.TntLabel6->text().startsWith("backed up to " + backups.path()));
        QCOMPARE(backups.entryList(QDir::Files).size(), 2);
    }

    void onlyNewHighlights() {
        TForm1& f = *m_form;
        f.exportnewhighlights1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("7 new highlights in 4 books"));
        f.exportnewhighlights1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("no new highlights"));
        f.TabSheet4->NewOnlyBox()->setChecked(true);
        QVERIFY(!f.TabSheet4->CheckBox1()->isEnabled()); // a file of new highlights never replaces one
        f.TabSheet1->List()->setCurrentRow(2);
        QTest::keyClick(f.TabSheet1->List(), Qt::Key_Return);
        QCOMPARE(f.TntLabel6->text(), QString("no new highlights"));
        f.exportallbooks1->trigger(); // the box makes "export all books" new-only too
        QCOMPARE(f.TntLabel6->text(), QString("no new highlights"));
        QCOMPARE(QDir(m_program->filePath("results")).entryList(QDir::Files).size(), 4);
    }

    void aLedgerThatCannotBeSavedStillTellsWhatWasWritten() {
        TForm1& f = *m_form;
        // A ledger that knows another book makes the saved one larger than a file size limit that the exports stay
        // under: its save fails as on a full disk, after the files are written.
        QVERIFY(QDir(m_program->path()).mkpath("results"));
        std::string known = "{\"books\": {\"file:///elsewhere\": {";
        for (int i = 0; i < 16; ++i)
            known += (i ? "," : "") + ("\"" + std::to_string(i) + "\": {\"modified\": \"\", \"sha256\": \"" +
                                       std::string(64, 'a') + "\"}");
        const std::string ledger = m_program->filePath("results/.marvik-ledger.json").toStdString();
        std::ofstream(ledger) << known << "}}, \"version\": 1}";
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const rlimit small{2048, before.rlim_max};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        f.exportnewhighlights1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("7 new highlights in 4 books; the ledger was not saved"));
        QCOMPARE(QDir(m_program->filePath("results")).entryList(QDir::Files).size(), 4);
        // One book's new highlights, written again since nothing recorded them: the status tells the file.
        f.TabSheet4->NewOnlyBox()->setChecked(true);
        f.TabSheet1->List()->setCurrentRow(0);
        DoubleClick(f.TabSheet1->List());
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, SIG_DFL);
        QVERIFY2(f.TntLabel6->text().contains(" written to "), qPrintable(f.TntLabel6->text()));
        QCOMPARE(QDir(m_program->filePath("results")).entryList(QDir::Files).size(), 5);
        QCOMPARE(m_boxes.size(), 2);
        for (const auto& box : m_boxes)
            QVERIFY2(box.text.contains(".marvik-ledger.json"), qPrintable(box.text));
    }

    void optionsPlaceAndTabAreRememberedUntilReset() {
        TForm1& f = *m_form;
        f.TabSheet4->TntEdit3()->setText("x");
        QTest::keyClicks(f.TabSheet4->TntEdit3(), "\\ty"); // a TAB typed as \t
        QCOMPARE(f.TabSheet4->TntEdit3()->text(), QString("x\ty"));
        QTest::mouseClick(f.TabSheet4->TabButton(), Qt::LeftButton);
        QCOMPARE(f.TabSheet4->Label1()->text(), QString("#120#9#121#9"));
        f.TabSheet4->ExportFormatBox()->setCurrentText("JSON");
        for (QCheckBox* box : {f.TabSheet4->CheckBox1(), f.TabSheet4->TntCheckBox3(), f.TabSheet4->CheckBox2(),
                               f.TabSheet4->SkipDeletedBox(), f.TabSheet4->ChapterTitlesBox()})
            box->toggle();
        f.PageControl1->setCurrentWidget(f.TabSheet4);
        f.setGeometry(40, 50, 700, 500);
        f.close();

        TForm1 again(m_program->path());
        QCOMPARE(again.TabSheet4->TntEdit3()->text(), QString("x\ty\t"));
        QCOMPARE(again.TabSheet4->Format(), ExportFormat::Json);
        QVERIFY(again.TabSheet4->CheckBox1()->isChecked() && !again.TabSheet4->TntCheckBox3()->isChecked() &&
                !again.TabSheet4->SkipDeletedBox()->isChecked() && !again.TabSheet4->ChapterTitlesBox()->isChecked());
        QVERIFY(!again.TabSheet4->CheckBox2()->isChecked()); // the console is armed anew each time
        QCOMPARE(again.PageControl1->currentWidget(), again.TabSheet4);
        QCOMPARE(again.size(), QSize(700, 500));

        QTest::mouseClick(again.TabSheet4->ResetButton(), Qt::LeftButton);
        QCOMPARE(again.TabSheet4->TntEdit3()->text(), QString("\t"));
        QCOMPARE(again.TabSheet4->Format(), ExportFormat::Text);
        QVERIFY(!again.TabSheet4->CheckBox1()->isChecked() && again.TabSheet4->TntCheckBox3()->isChecked() &&
                again.TabSheet4->SkipDeletedBox()->isChecked() && again.TabSheet4->ChapterTitlesBox()->isChecked());
    }

    void theFormatIsKeptByNameAndAnOldSettingsFileIsReadOnce() {
        m_form.reset();
        const QString file = FromPath(UserConfigFolder() / "marvik.conf");
        {
            QSettings old(file, QSettings::IniFormat); // as the version that kept the format's place in the list
            old.setValue("options/format", 2);
        }
        TForm1 f(m_program->path());
        QCOMPARE(f.TabSheet4->ExportFormatBox()->currentText(), QString("JSON"));
        QCOMPARE(f.TabSheet4->Format(), ExportFormat::Json);
        f.close();
        {
            const QSettings written(file, QSettings::IniFormat);
            QCOMPARE(written.value("options/exportFormat").toString(), QString("json"));
            QVERIFY(!written.contains("options/format"));
        }

        // A name this version does not know, from a later one or a hand-edited file, gives text.
        QSettings(file, QSettings::IniFormat).setValue("options/exportFormat", "rtf");
        TForm1 later(m_program->path());
        QCOMPARE(later.TabSheet4->Format(), ExportFormat::Text);
        QCOMPARE(later.TabSheet4->ExportFormatBox()->currentText(), QString("text"));
    }

    void longMessagesWrapWithinTheirBox() {
        const QString path = "/media/reader/" + QString("a-folder-with-a-long-name/").repeated(20) + "Book.epub";
        const auto box = MakeMessageBox(
            m_form.get(), {MessageBoxRequest::Icon::Critical, "Marvik", "Error executing SQL.\n" + path + "\n" + path});
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        const QTextEdit* text = box->findChild<QTextEdit*>("MessageText");
        QCOMPARE(text->toPlainText(), "Error executing SQL.\n" + path + "\n" + path);
        QVERIFY(box->width() < box->screen()->availableGeometry().width());
        QVERIFY(text->document()->size().width() <= text->viewport()->width());   // no line runs off the right
        QVERIFY(text->document()->size().height() <= text->viewport()->height()); // nor off the bottom
    }

    void progressOfNothingIsNoBusyIndicator() {
        QLabel status;
        QProgressBar bar;
        WindowProgress progress(status, bar);
        progress.StartProgress(0); // a volume whose bookmarks are all left out
        QVERIFY(bar.maximum() > bar.minimum());
    }

    void exceptionsFromEventHandlersAreShownAndTheProgramGoesOn() {
        FailingObject target;
        target.messages = {"first\rsecond", "code 5", "done.", "something went wrong!", "(see above)", "27 \"x\"", ""};
        for (int i = 0; i <= target.messages.size(); ++i)
            QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(target.events, 8); // every event arrives, although each handler failed
        QStringList texts;
        for (const MessageBoxRequest& box : m_boxes)
            texts << box.text;
        // A full stop follows a message unless it ends in a character not above the full stop (a quote is below it).
        QCOMPARE(texts, QStringList({"first\nsecond.", "code 5.", "done.", "something went wrong!", "(see above)",
                                     "27 \"x\"", "", "Unknown error."}));
        QCOMPARE(m_boxes[0].icon, MessageBoxRequest::Icon::Critical);
        QCOMPARE(m_boxes[0].caption, QString("Mainwindowtest")); // the title made from the executable's name
        QCOMPARE(ApplicationTitle("C:/Program Files/RuzuVure.Beta.exe"), QString("Ruzuvure"));
    }

private:
    FakeFileManager m_manager;
    std::unique_ptr<QTemporaryDir> m_program;
    QString m_database;
    std::unique_ptr<TForm1> m_form;
    QList<MessageBoxRequest> m_boxes;
    OpenedUrls m_opened;
};

// The program's own application object, so that its error display is the one under test.
int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never the user's settings
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "MainWindowTest.moc"
