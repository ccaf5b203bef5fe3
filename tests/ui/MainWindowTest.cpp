// The main window on the offscreen platform: start-up, loading through the menu and by drop, the error display,
// and the two menus with handed-in volumes.
#include "ErrorDisplay.h"
#include "MessageBoxes.h"
#include "ReaderDatabase.h"
#include "TForm1.h"
#include "VolumeSource.h"
#include "WindowProgress.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
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

// Fills a reader database with three books, so that each list has a known order.
void MakeLibrary(const QString& file) {
    fixture::ReaderDatabase reader(file.toStdString());
    const std::string winter = "/mnt/onboard/Winter.epub", autumn = "/mnt/onboard/autumn.epub";
    const std::string kniga = "/mnt/onboard/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0.epub";
    for (const auto& volume : {winter, autumn, kniga})
        reader.AddBookmark({.bookmarkId = volume + "1", .volumeId = volume, .contentId = volume + "#1"});
    reader.AddBook({.volumeId = winter, .title = "A Winter Voyage", .author = "Some Author"});
    reader.AddBook({.volumeId = autumn, .title = "Autumn", .author = "Zed Writer"});
    reader.AddBook({.volumeId = kniga, .title = "Kniga", .author = "\xD0\x90\xD0\xB2\xD1\x82\xD0\xBE\xD1\x80"});
    reader.AddPart({.contentId = winter + "#1", .bookId = winter, .bookTitle = "A Winter Voyage"});
    reader.AddPart({.contentId = autumn + "#1", .bookId = autumn, .bookTitle = "Autumn"});
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
    }
    void cleanup() { SetMessageBoxHandler({}); }

    void startUpState() {
        QTemporaryDir program;
        TForm1 form(program.path());
        QCOMPARE(form.windowTitle(), QString("Marvik annotation extractor 0.5 "));
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet3);
        QCOMPARE(form.PageControl1->tabText(2), QString("authors"));
        for (const char* name :
             {"TntLabel1", "TntLabel2", "TntLabel7", "TntLabel8", "TntLabel10", "TntLabel11", "TntLabel6"})
            QVERIFY2(form.findChild<QLabel*>(name)->text().isEmpty(), name);
        QVERIFY(!form.findChild<QPushButton*>("Button2")->isEnabled());
        QCOMPARE(form.findChild<QLineEdit*>("TntEdit3")->text(), QString("\t"));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("#9"));
        QVERIFY(form.findChild<QCheckBox*>("TntCheckBox3")->isChecked());
        QVERIFY(!form.findChild<QCheckBox*>("CheckBox1")->isChecked());
        QCOMPARE(form.findChild<QProgressBar*>("ProgressBar1")->value(), 0);
        QVERIFY(form.findChild<QPlainTextEdit*>("Memo1")->toPlainText().isEmpty());
        QVERIFY(form.ProgramFolder.endsWith('/'));
        QVERIFY(QFileInfo(program.filePath("results")).isDir());

        // A second start leaves the results folder and what is in it alone.
        QFile kept(program.filePath("results/kept.txt"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();
        TForm1 second(program.path());
        QVERIFY(kept.exists());
    }

    void resultsFolderIsMadeWithItsParentsOrLeftOut() {
        QTemporaryDir base;
        TForm1 nested(base.filePath("deep/er/program"));
        QVERIFY(QFileInfo(base.filePath("deep/er/program/results")).isDir());

        QFile blocker(base.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TForm1 blocked(base.filePath("file")); // the folder cannot be made below a file: start-up goes on
        QCOMPARE(blocked.windowTitle(), QString("Marvik annotation extractor 0.5 "));
        QVERIFY(m_boxes.isEmpty());
    }

    void loadingThroughTheMenuFillsTheListsInOrder() {
        QTemporaryDir program;
        MakeLibrary(program.filePath("KoboReader.sqlite"));
        TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));

        emit form.loaddatabase1->aboutToShow();
        QVERIFY(form.fromprogrampath1->isEnabled());
        QCOMPARE(form.fromprogrampath1->text(), "from program folder (" + form.ProgramFolder + "KoboReader.sqlite)");
        form.fromprogrampath1->trigger();

        QCOMPARE(Rows(form.TntListBox1), QStringList({"/mnt/onboard/autumn.epub", "/mnt/onboard/Winter.epub",
                                                      "/mnt/onboard/\u041A\u043D\u0438\u0433\u0430.epub"}));
        QCOMPARE(Rows(form.TntListBox2), QStringList({"Autumn", "A Winter Voyage"}));
        QCOMPARE(Rows(form.TntListBox3), QStringList({"Zed Writer", "Some Author", "\u0410\u0432\u0442\u043E\u0440"}));
        QCOMPARE(form.DatabasePath(), form.ProgramFolder + "KoboReader.sqlite");
        QVERIFY(form.TntLabel6->text().isEmpty());

        // A path that names no file empties everything, and the loaded path stays.
        form.TntLabel7->setText("left over");
        form.LoadDatabase(program.filePath("gone.sqlite"));
        QVERIFY(Rows(form.TntListBox1).isEmpty() && Rows(form.TntListBox2).isEmpty() &&
                Rows(form.TntListBox3).isEmpty());
        QVERIFY(form.TntLabel7->text().isEmpty());
        QCOMPARE(form.Volumes().Count(), 0u);
        QCOMPARE(form.DatabasePath(), form.ProgramFolder + "KoboReader.sqlite");
        QVERIFY(!QFile::exists(program.filePath("gone.sqlite")));
    }

    void droppedFileIsLoadedAndOnlyTheFirst() {
        QTemporaryDir program;
        const QString longName = QString("a folder with a long name ").repeated(6);
        const QString first = program.filePath(longName + "/" + longName + "/copy of.sqlite");
        QVERIFY(QDir().mkpath(QFileInfo(first).path()));
        QVERIFY(first.size() > 260);
        MakeLibrary(first);
        TForm1 form(program.path());
        Drop(&form, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(program.filePath("second.sqlite"))});
        QCOMPARE(form.DatabasePath(), first);
        QCOMPARE(form.TntListBox1->count(), 3);
        QVERIFY(m_boxes.isEmpty());
    }

    void droppedTextFileShowsTheErrorAndTheProgramGoesOn() {
        QTemporaryDir program;
        const QString notes = program.filePath("notes.txt");
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'n'));
        file.close();
        TForm1 form(program.path());
        Drop(&form, {QUrl::fromLocalFile(notes)});

        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].icon, MessageBoxRequest::Icon::Critical);
        QCOMPARE(m_boxes[0].caption, ApplicationTitle(QCoreApplication::applicationFilePath()));
        QCOMPARE(m_boxes[0].text, QString("Error executing SQL.\nError [26]: File opened that is not a database "
                                          "file.\n\"SELECT VolumeID, StartContainerChildIndex FROM Bookmark\": file "
                                          "is not a database."));
        QCOMPARE(form.TntLabel6->text(), QString("reading database"));
        QCOMPARE(form.DatabasePath(), notes);

        MakeLibrary(program.filePath("KoboReader.sqlite"));
        Drop(&form, {QUrl::fromLocalFile(program.filePath("KoboReader.sqlite"))});
        QCOMPARE(form.TntListBox1->count(), 3);
        QVERIFY(form.TntLabel6->text().isEmpty());
    }

    void progressOfNothingIsNoBusyIndicator() {
        QLabel status;
        QProgressBar bar;
        WindowProgress progress(status, bar);
        progress.StartProgress(0); // a volume whose bookmarks are all left out
        QVERIFY(bar.maximum() > bar.minimum());
        progress.SetStatus("extracting annotations");
        QCOMPARE(status.text(), QString("extracting annotations"));
    }

    void errorDisplayRules() {
        QCOMPARE(ApplicationTitle("C:/Program Files/RuzuVure.Beta.exe"), QString("Ruzuvure"));
        QCOMPARE(ApplicationTitle("/usr/bin/marvik"), QString("marvik"));
        QCOMPARE(ErrorBoxText("Table is at End of File"), QString("Table is at End of File."));
        QCOMPARE(ErrorBoxText("Error Code \"27\""), QString("Error Code \"27\"")); // a quote sorts below the full stop
        QCOMPARE(ErrorBoxText("code 5"), QString("code 5."));
        for (const QString& unchanged : QStringList{"done.", "something went wrong!", "(see above)", ""})
            QCOMPARE(ErrorBoxText(unchanged), unchanged);
        QCOMPARE(ErrorBoxText("first\rsecond"), QString("first\nsecond."));
    }

    void loadMenuFindsTheReaderByLabel() {
        QTemporaryDir disks;
        const auto volume = [&](const QString& name, bool withDatabase) {
            QDir().mkpath(disks.filePath(name + "/.kobo"));
            if (withDatabase)
                MakeLibrary(disks.filePath(name + "/.kobo/KoboReader.sqlite"));
            return MountedVolume{disks.filePath(name).toStdString(), ""};
        };
        MountedVolume e = volume("e", true), g = volume("g", true), plain = volume("plain", false);
        MountedVolume bare{disks.filePath("bare").toStdString(), "KOBOeReader"};
        e.label = "KOBOeReader";
        g.label = "KOBOeReader";
        plain.label = "kobOEREADER";

        const auto refresh = [&](std::vector<MountedVolume> volumes, const QString& programFolder) {
            auto form = std::make_unique<TForm1>(programFolder, std::make_shared<ListedVolumes>(std::move(volumes)));
            emit form->loaddatabase1->aboutToShow();
            return form;
        };
        QTemporaryDir program;
        auto form = refresh({g, e}, program.path());
        QCOMPARE(form->ReaderDrive, disks.filePath("e"));
        QCOMPARE(form->fromMarvik1->text(), "from Kobo Reader (" + disks.filePath("e/.kobo/KoboReader.sqlite") + ")");
        QVERIFY(form->fromMarvik1->isEnabled());
        QCOMPARE(form->fromprogrampath1->text(), QString("from program folder"));
        QVERIFY(!form->fromprogrampath1->isEnabled());
        form->fromMarvik1->trigger();
        QCOMPARE(form->DatabasePath(), disks.filePath("e/.kobo/KoboReader.sqlite"));

        MountedVolume wrong1 = e, wrong2 = g;
        wrong1.label = "KOBOeReader2";
        wrong2.label = "KOBOeReader ";
        form = refresh({wrong1, wrong2}, program.path());
        QVERIFY(form->ReaderDrive.isEmpty());
        QCOMPARE(form->fromMarvik1->text(), QString("from Kobo Reader"));
        QVERIFY(!form->fromMarvik1->isEnabled());

        // The right label in other letters, but no database: found, yet not offered.
        form = refresh({plain}, program.path());
        QCOMPARE(form->ReaderDrive, disks.filePath("plain"));
        QVERIFY(!form->fromMarvik1->isEnabled());
        emit form->openfolders1->aboutToShow();
        QVERIFY(form->openMarvikkobo1->isEnabled());
        QVERIFY(form->openresultfolder1->isEnabled());

        form = refresh({bare}, program.path());
        emit form->openfolders1->aboutToShow();
        QVERIFY2(!form->openMarvikkobo1->isEnabled(), "a reader without .kobo has no folder to open");

        // Both sources present; then the results folder goes away.
        MakeLibrary(program.filePath("KoboReader.sqlite"));
        form = refresh({e}, program.path());
        QVERIFY(form->fromMarvik1->isEnabled() && form->fromprogrampath1->isEnabled());
        QDir(program.filePath("results")).removeRecursively();
        emit form->openfolders1->aboutToShow();
        QVERIFY(!form->openresultfolder1->isEnabled());
        QVERIFY(form->opemprogramfolder1->isEnabled());
    }

private:
    QList<MessageBoxRequest> m_boxes;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
