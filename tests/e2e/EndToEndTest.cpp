// One export along the whole road in a real X server: the window shown, the database chosen with the mouse in the
// "load database" menu, a row double-clicked, the annotation file found under results. The details of each step are
// the widget tests'.
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "ReaderDatabase.h"
#include "SampleBooks.h"
#include "TForm1.h"
#include "VolumeSource.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void loadFromTheMenuAndExportByDoubleClick() {
        // No box waits for a person and no file browser opens.
        SetMessageBoxHandler([](const MessageBoxRequest& request) { QFAIL(qPrintable(request.text)); });
        OpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "open");
        QTemporaryDir program;
        {
            fixture::ReaderDatabase reader(program.filePath("KoboReader.sqlite").toStdString());
            fixture::AddWinterVoyage(reader, "/mnt/onboard/Sea/A Winter Voyage.epub");
        }

        TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QMenuBar* bar = form.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form.loaddatabase1->menuAction()).center());
        QTRY_VERIFY(form.loaddatabase1->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(form.loaddatabase1));
        QTest::mouseClick(form.loaddatabase1, Qt::LeftButton, {},
                          form.loaddatabase1->actionGeometry(form.fromprogrampath1).center());
        QTRY_COMPARE(form.TntListBox3->count(), 1);
        QListWidget* authors = form.TntListBox3;
        const QPoint row = authors->visualItemRect(authors->item(0)).center();
        QTest::mousePress(authors->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseRelease(authors->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(authors->viewport(), Qt::LeftButton, {}, row);

        QFile file(program.filePath("results/A Winter Voyage.epub.annotations_0000.txt"));
        QTRY_VERIFY(file.exists());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF") + fixture::kWinterVoyageFile);

        // For the documentation: MARVIK_SCREENSHOT=path keeps a picture of a searched library as the X server shows it.
        if (const QString screenshot = qEnvironmentVariable("MARVIK_SCREENSHOT"); !screenshot.isEmpty()) {
            fixture::ReaderDatabase library(program.filePath("library.sqlite").toStdString());
            fixture::AddWinterVoyage(library, "/mnt/onboard/Sea/A Winter Voyage.epub");
            fixture::AddCurrentFirmwareLibrary(library);
            library.Close();
            form.LoadDatabase(program.filePath("library.sqlite"));
            form.PageControl1->setCurrentWidget(form.TabSheet1);
            form.TntCheckBox1->setChecked(false);
            form.TntEdit1->setText("War");
            QTest::qWait(200);
            QVERIFY(form.screen()->grabWindow(form.winId()).save(screenshot));
        }
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
