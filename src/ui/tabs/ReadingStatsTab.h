#pragma once

#include "ReadingChartData.h"
#include "ReadingStatistics.h"

#include <QFutureWatcher>
#include <QSize>
#include <QThreadPool>
#include <QWidget>

#include <functional>
#include <optional>

class BookReadingModel;
class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTableView;
class ReadingCalendar;

// The "reading" tab: charts of the loaded database's reading statistics (time read per week over a year, books
// finished and highlights per month, a calendar of reading days) and a sortable table of its books; with "include
// backups" ticked, the backups of the database count too. The statistics are read on a thread of their own when the
// tab is shown after the database changed, so the window stays free meanwhile.
class ReadingStatsTab : public QWidget {
    Q_OBJECT

public:
    explicit ReadingStatsTab(QWidget* parent = nullptr);
    // Waits for a reading under way: it reads files the window may be about to let go.
    ~ReadingStatsTab() override;

    // Follows the loaded database (empty: none) and the folder that holds its backups.
    void ShowDatabase(const QString& database, const QString& backupsFolder);
    // Saves the chart in front as a PNG image of that size (empty: as shown); false when it could not be written.
    bool ExportChart(const QString& file, QSize size = {});
    // Asks where "export chart as PNG" writes; empty for no file. Tests replace it.
    std::function<QString()> chooseImageFile;
    // Asks the picture's size (empty: as shown); nothing when the user cancels. Tests replace it.
    std::function<std::optional<QSize>()> chooseImageSize;

    bool IsReading() const;
    const ReadingChartData& ChartData() const { return m_chartData; }

signals:
    // A reading ended and what it found is shown.
    void StatisticsShown();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Outcome {
        std::optional<ReadingStatistics> statistics;
        QString error;
    };

    void ReadIfStale();
    void Show(const Outcome& outcome);
    void FillCharts();
    void ApplyPalette();
    void ExportChosenChart();

    QComboBox* m_chartChoice = nullptr;
    QCheckBox* m_backupsBox = nullptr;
    QPushButton* m_exportButton = nullptr;
    QLabel* m_summary = nullptr;
    QStackedWidget* m_charts = nullptr;
    QChartView* m_weekly = nullptr;
    QChartView* m_finished = nullptr;
    QChartView* m_highlights = nullptr;
    ReadingCalendar* m_calendar = nullptr;
    QTableView* m_table = nullptr;
    BookReadingModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QFutureWatcher<Outcome> m_watcher;
    QThreadPool m_readingThread; // not Qt's global pool, which the window's painting waits for

    QString m_database;
    QString m_backupsFolder;
    bool m_stale = false; // what is shown is not of the present database and choice
    ReadingChartData m_chartData;
};
