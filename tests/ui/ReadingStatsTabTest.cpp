// The reading tab on the offscreen platform: its table and chart series from real database files, with and without
// the backups, sorting by the figures, the PNG export and the dark palette.
#include "ReadingStatsTab.h"
#include "BookReadingModel.h"
#include "ReaderDatabase.h"

#include <QAbstractItemModel>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <cmath>

namespace {

const std::string kLong = "file:///mnt/onboard/Long.epub";
const std::string kShort = "file:///mnt/onboard/Short.epub";

void AddBooks(fixture::ReaderDatabase& db) {
    db.AddBook({.volumeId = kLong, .title = "Long Read", .author = "Ann"});
    db.AddBook({.volumeId = kShort, .title = "Short Read", .author = "Bo"});
    // As text "9m 00s" sorts after "10m 00s"; as time it comes first.
    db.SetReading(kLong, {.timeSpentReading = 600,
                          .percentRead = 100,
                          .readStatus = 2,
                          .dateLastRead = "2024-11-14T12:00:00Z",
                          .isbn = "long-id"});
    db.SetReading(kShort, {.timeSpentReading = 540,
                           .percentRead = 30,
                           .readStatus = 1,
                           .dateLastRead = "2024-11-15T12:00:00Z",
                           .isbn = "short-id"});
    for (const std::string id : {"1", "2"})
        db.AddBookmark({.bookmarkId = "h" + id, .volumeId = kLong, .contentId = kLong + "#1", .text = "Line."});
    db.Exec("UPDATE Bookmark SET DateCreated = '2024-10-02T08:00:00.000'");
    db.AddAnalyticsTables();
}

void AddSession(fixture::ReaderDatabase& db, const std::string& id, const std::string& time, int seconds,
                const std::string& isbn) {
    db.AddSession({.id = id, .timestamp = time, .isbn = isbn, .secondsRead = seconds});
}

} // namespace

class ReadingStatsTabTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        const std::string folder = m_folder->path().toStdString();
        std::filesystem::create_directory(folder + "/backups");
        fixture::ReaderDatabase backup(folder + "/backups/KoboReader-2024-11-14-200000.sqlite");
        AddBooks(backup);
        AddSession(backup, "a", "2024-11-14T12:00:00Z", 600, "long-id");
        AddSession(backup, "b", "2024-11-14T13:00:00Z", 240, "short-id");
        fixture::ReaderDatabase db(folder + "/KoboReader.sqlite");
        AddBooks(db);
        AddSession(db, "b", "2024-11-14T13:00:00Z", 240, "short-id"); // not yet synced away
        AddSession(db, "c", "2024-11-15T12:00:00Z", 300, "short-id");
        m_tab = std::make_unique<ReadingStatsTab>();
        m_tab->resize(900, 700);
        m_tab->show();
    }
    void cleanup() {
        m_tab.reset();
        m_folder.reset();
    }

    void tableAndChartsFollowTheDatabaseAndTheBackups() {
        // Nothing read yet: each chart says so in place of its axes.
        for (const char* name : {"weeklyReadingChart", "finishedBooksChart", "highlightsChart"}) {
            const QChart* chart = m_tab->findChild<QChartView*>(name)->chart();
            QVERIFY2(chart->series().isEmpty() && chart->title().contains("no "), qPrintable(chart->title()));
        }
        ShowDatabase();
        QAbstractItemModel* table = Table()->model();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(Cell(0, BookReadingModel::Title), QString("Short Read")); // last read first
        QCOMPARE(Cell(0, BookReadingModel::Sessions), QString("2"));
        QCOMPARE(Cell(1, BookReadingModel::Status), QString("finished"));
        QCOMPARE(Cell(1, BookReadingModel::Highlights), QString("2"));
        Table()->sortByColumn(BookReadingModel::TimeRead, Qt::AscendingOrder);
        QCOMPARE(Cell(0, BookReadingModel::TimeRead), QString("9m 00s"));
        QCOMPARE(Cell(1, BookReadingModel::TimeRead), QString("10m 00s"));
        // In a window of 800 px the title keeps a readable width; the table scrolls sideways instead.
        m_tab->resize(780, 600);
        QTRY_VERIFY(Table()->columnWidth(BookReadingModel::Title) >= Table()->fontMetrics().averageCharWidth() * 20);
        m_tab->resize(900, 700);

        // The week of 11 November holds both sessions of the loaded database: 540 s, in whole minutes where no week
        // reaches two hours.
        QCOMPARE(WeeklyPeak(), 9.0);
        const auto* minutes = qobject_cast<const QValueAxis*>(
            m_tab->findChild<QChartView*>("weeklyReadingChart")->chart()->axes(Qt::Vertical).value(0));
        QCOMPARE(minutes->titleText(), QString("minutes"));
        QCOMPARE(minutes->labelFormat(), QString("%d"));
        QCOMPARE(std::fmod(minutes->tickInterval(), 1.0), 0.0);
        QCOMPARE(BarTotal("finishedBooksChart"), 1.0);
        QCOMPARE(BarTotal("highlightsChart"), 2.0);

        // With the backups, the session both hold counts once: 600 + 240 + 300 s.
        QSignalSpy shown(m_tab.get(), &ReadingStatsTab::StatisticsShown);
        m_tab->findChild<QCheckBox*>("readingBackupsBox")->setChecked(true);
        QVERIFY(shown.wait(10000));
        QCOMPARE(WeeklyPeak(), 19.0);
        Table()->sortByColumn(BookReadingModel::Title, Qt::AscendingOrder);
        QCOMPARE(Cell(0, BookReadingModel::Sessions), QString("1"));
        QCOMPARE(Cell(1, BookReadingModel::Sessions), QString("2"));
    }

    void chartsExportAsPngAndTakeADarkPalette() {
        ShowDatabase();
        const QString file = m_folder->filePath("chart.png");
        m_tab->chooseImageFile = [file] { return file; };
        m_tab->chooseImageSize = [] { return std::optional<QSize>(QSize(640, 360)); };
        QTest::mouseClick(m_tab->findChild<QPushButton*>("exportChartButton"), Qt::LeftButton);
        QFile png(file);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QCOMPARE(png.read(8), QByteArray("\x89PNG\r\n\x1A\n", 8));
        QCOMPARE(QImage(file).size(), QSize(640, 360));
        QCOMPARE(m_tab->findChild<QLabel*>("readingSummary")->text(),
                 "chart written to " + file + ", 640 x 360 pixels");

        QPalette dark;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::Base, QColor(20, 20, 20));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        m_tab->setPalette(dark);
        QChart* chart = m_tab->findChild<QChartView*>("weeklyReadingChart")->chart();
        QVERIFY(chart->backgroundBrush().color().lightness() < 64);
        QVERIFY(chart->titleBrush().color().lightness() > 192);
    }

    void aViewThatNeverEndsInATablesPlaceIsLeftOut() {
        // A database made to run a query without end where the sessions are: the tab shows what else it holds.
        {
            fixture::ReaderDatabase db(m_folder->filePath("KoboReader.sqlite").toStdString(),
                                       fixture::ReaderDatabase::Existing);
            db.Exec("DROP TABLE AnalyticsEvents; CREATE VIEW AnalyticsEvents AS WITH RECURSIVE n(i) AS (SELECT 1 "
                    "UNION ALL SELECT i + 1 FROM n) SELECT i AS Id, 'LeaveContent' AS Type, '2024-11-14T12:00:00Z' "
                    "AS Timestamp, '{\"SecondsRead\": 5}' AS Metrics FROM n");
        }
        ShowDatabase();
        QCOMPARE(Table()->model()->rowCount(), 2);
        QCOMPARE(Cell(0, BookReadingModel::Sessions), QString("0"));
    }

private:
    void ShowDatabase() {
        QSignalSpy shown(m_tab.get(), &ReadingStatsTab::StatisticsShown);
        m_tab->ShowDatabase(m_folder->filePath("KoboReader.sqlite"), m_folder->filePath("backups"));
        QVERIFY(shown.wait(10000));
    }
    QTableView* Table() const { return m_tab->findChild<QTableView*>("readingTable"); }
    QString Cell(int row, int column) const { return Table()->model()->index(row, column).data().toString(); }
    double WeeklyPeak() const {
        const QChart* chart = m_tab->findChild<QChartView*>("weeklyReadingChart")->chart();
        const auto* area = qobject_cast<QAreaSeries*>(chart->series().value(0));
        double peak = 0;
        for (const QPointF& point : area->upperSeries()->points())
            peak = std::max(peak, point.y());
        return peak;
    }
    double BarTotal(const char* chartName) const {
        const QChart* chart = m_tab->findChild<QChartView*>(chartName)->chart();
        const QBarSet* set = qobject_cast<QBarSeries*>(chart->series().value(0))->barSets().value(0);
        return set->sum();
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<ReadingStatsTab> m_tab;
};

QTEST_MAIN(ReadingStatsTabTest)
#include "ReadingStatsTabTest.moc"
