// Living notes in the window, on the offscreen platform: the notes options, remembered; the chosen book's note as the
// chosen template set renders it; "sync notes" and what its status says; a sync after the backup when a reader is
// connected.
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "NotePreview.h"
#include "OptionsTab.h"
#include "PluggableVolumes.h"
#include "ReaderDatabase.h"
#include "TForm1.h"
#include "TemplateSources.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"
#include "WholeRecordBooks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kAllAdded = "3 notes: 7 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them";
const QString kNothingNew = "3 notes: 0 highlights added, 0 updated, 0 marked deleted, 0 kept as you edited them";

} // namespace

class NotesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf"));
        m_boxes.clear();
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request; });
        m_program = std::make_unique<QTemporaryDir>();
        m_volumes = std::make_shared<PluggableVolumes>();
        m_database = m_program->filePath("KoboReader.sqlite");
        fixture::ReaderDatabase reader(m_database.toStdString());
        fixture::AddWholeRecordLibrary(reader);
    }
    void cleanup() {
        SetMessageBoxHandler({});
        SetOpenFileHandler({});
    }

    void thePreviewShowsTheNoteAsTheChosenSetRendersIt() {
        TForm1 f(m_program->path(), m_volumes);
        f.LoadDatabase(m_database);
        f.show();
        QComboBox* sets = f.TabSheet4->NoteTemplateBox();
        QCOMPARE(sets->currentText(), QString("markdown"));
        QVERIFY(sets->findText("obsidian") >= 0 && sets->findText("logseq") >= 0);

        QVERIFY(f.LibraryPage->SelectBook(DecodeUtf8(fixture::records::kRich)));
        f.LibraryPage->BookPane()->setCurrentWidget(f.LibraryPage->NotePreviewPane());
        const NotePreview* preview = f.LibraryPage->NotePreviewPane();
        QCOMPARE(preview->NoteName()->text(),
                 QString("Notes_ _On_ Things - Ann Writer.md (template set \"markdown\")"));
        QVERIFY(preview->Text()->toPlainText().contains("marvik-volume-id: \"" + DecodeUtf8(fixture::records::kRich)));
        QVERIFY(!preview->Text()->toPlainText().contains("> [!"));

        // Another set is rendered at once; a set with an unknown variable says where, in place of the note.
        sets->setCurrentIndex(sets->findText("obsidian"));
        QVERIFY2(preview->Text()->toPlainText().contains("> [!"), qPrintable(preview->Text()->toPlainText()));
        const QDir mine(FromPath(UserTemplatesFolder() / "mine"));
        QVERIFY(mine.mkpath("."));
        QFile name(mine.filePath("name.mustache"));
        QVERIFY(name.open(QIODevice::WriteOnly) && name.write("{{autor}}\n") > 0);
        name.close();
        f.PageControl1->setCurrentWidget(f.TabSheet4); // the list is made afresh when the tab is shown
        f.PageControl1->setCurrentWidget(f.LibraryPage);
        sets->setCurrentIndex(sets->findText("mine"));
        QCOMPARE(preview->NoteName()->text(), QString("This note cannot be previewed:"));
        QVERIFY2(preview->Text()->toPlainText().contains("unknown variable \"autor\""),
                 qPrintable(preview->Text()->toPlainText()));
        // Sections nested thousands deep are refused before the engine could exhaust the stack with them.
        QVERIFY(QFile::remove(mine.filePath("name.mustache")));
        QFile deep(mine.filePath("highlight.mustache"));
        QVERIFY(deep.open(QIODevice::WriteOnly) &&
                deep.write(QByteArray("{{#text}}").repeated(12'000) + QByteArray("{{/text}}").repeated(12'000)) > 0);
        deep.close();
        f.PageControl1->setCurrentWidget(f.TabSheet4);
        f.PageControl1->setCurrentWidget(f.LibraryPage);
        sets->setCurrentIndex(sets->findText("markdown"));
        sets->setCurrentIndex(sets->findText("mine"));
        QCOMPARE(preview->NoteName()->text(), QString("This note cannot be previewed:"));
        QVERIFY2(preview->Text()->toPlainText().endsWith("highlight.mustache:1: sections nested more than 24 deep"),
                 qPrintable(preview->Text()->toPlainText()));
        QVERIFY(QDir(mine).removeRecursively());
    }

    void syncNotesAsksForTheFolderOnceAndTellsWhatChanged() {
        QTemporaryDir notes;
        int asked = 0;
        SetOpenFileHandler([&](const OpenFileRequest& request) {
            ++asked;
            return request.folders ? notes.path() : QString();
        });
        {
            TForm1 f(m_program->path(), m_volumes);
            f.LoadDatabase(m_database);
            QVERIFY(f.TabSheet4->NotesFolder().isEmpty());
            f.syncnotes1->trigger();
            QCOMPARE(f.TntLabel6->text(), kAllAdded);
            QCOMPARE(f.TabSheet4->NotesFolder(), notes.path());
            const QFileInfo note(QDir(notes.path()).filePath("Notes_ _On_ Things - Ann Writer.md"));
            QVERIFY(note.exists());
            const QDateTime written = note.lastModified();

            // Nothing new: no note is written again.
            f.syncnotes1->trigger();
            QCOMPARE(f.TntLabel6->text(), kNothingNew);
            QCOMPARE(QFileInfo(note.filePath()).lastModified(), written);
            QVERIFY(m_boxes.isEmpty());
            f.close();
        }
        // The folder and the set are remembered; the folder is not asked for again.
        TForm1 f(m_program->path(), m_volumes);
        f.LoadDatabase(m_database);
        QCOMPARE(f.TabSheet4->NotesFolder(), notes.path());
        {
            fixture::ReaderDatabase reader(m_database.toStdString(), fixture::ReaderDatabase::Existing);
            reader.Exec("UPDATE Bookmark SET Hidden = 'true' WHERE BookmarkID = 'r1'");
        }
        f.LoadDatabase(m_database);
        f.syncnotes1->trigger();
        QCOMPARE(f.TntLabel6->text(),
                 "3 notes: 0 highlights added, 0 updated, 1 marked deleted, 0 kept as you edited them");
        QCOMPARE(asked, 1);

        // A folder that is gone: the sync fails before it reads anything, and says why.
        QVERIFY(notes.remove());
        f.syncnotes1->trigger();
        QCOMPARE(f.TntLabel6->text(), QString("sync failed"));
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes[0].text.contains("does not exist"), qPrintable(m_boxes[0].text));
    }

    void aConnectedReaderIsSyncedAfterItsBackupWhenAsked() {
        QTemporaryDir disk;
        QTemporaryDir notes;
        QVERIFY(QDir(disk.path()).mkpath(".kobo"));
        QVERIFY(QFile::copy(m_database, disk.filePath(".kobo/KoboReader.sqlite")));
        TForm1 f(m_program->path(), m_volumes);
        QVERIFY(!f.TabSheet4->SyncOnConnectBox()->isChecked()); // off by default
        f.TabSheet4->SyncOnConnectBox()->setChecked(true);
        f.TabSheet4->SetNotesFolder(notes.path());
        QVERIFY(f.TabSheet4->BackupOnConnectBox()->isChecked());
        m_volumes->mounted = {{disk.path().toStdString(), "KOBOeReader"}};
        QTRY_COMPARE_WITH_TIMEOUT(f.TntLabel6->text(), "reader connected: " + disk.path() + "; " + kAllAdded, 10000);
        QVERIFY(QDir(f.BackupsFolder()).entryList(QDir::Files).size() >= 1);
        QCOMPARE(QDir(notes.path()).entryList(QDir::Files).size(), 3);
    }

private:
    std::unique_ptr<QTemporaryDir> m_program;
    std::shared_ptr<PluggableVolumes> m_volumes;
    QString m_database;
    QList<MessageBoxRequest> m_boxes;
};

int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // The user's template sets, of this test alone.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    NotesWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "NotesWindowTest.moc"
