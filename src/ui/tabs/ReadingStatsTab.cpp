#include "ReadingStatsTab.h"

#include "BackupFiles.h"
#include "BookReadingModel.h"
#include "NamedWidgets.h"
#include "ReadableColumn.h"
#include "ReadingCalendar.h"
#include "ReadingCharts.h"
#include "StatisticsFormats.h"
#include "StatisticsReading.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxLayout>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QtConcurrent>

#include <algorithm>

namespace {

QStringList MonthLabels(const QList<QDate>& months) {
    QStringList labels;
    for (const QDate& month : months)
        labels.append(QLocale().toString(month, "MMM yy"));
    return labels;
}

QList<double> AsDoubles(const QList<int>& counts) {
    return QList<double>(counts.begin(), counts.end());
}

std::size_t LeftOut(const SkippedRows& s) {
    return s.sessionsWithoutMetrics + s.unparseableJson + s.oddDates + s.unmatchedSessions + s.unreadableDatabases;
}

} // namespace

ReadingStatsTab::ReadingStatsTab(QWidget* parent) : QWidget(parent) {
    setObjectName("readingTab");
    m_chartChoice = Named<QComboBox>("readingChartChoice");
    m_chartChoice->addItems(
        {"time read per week", "books finished per month", "highlights per month", "calendar of reading days"});
    m_backupsBox = Named<QCheckBox>("readingBackupsBox", "include backups");
    m_backupsBox->setToolTip("Count the reading that the backups of the database hold: the reader forgets its "
                             "sessions when it syncs.");
    m_exportButton = Named<QPushButton>("exportChartButton", "export chart as PNG...");
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_chartChoice);
    controls->addWidget(m_backupsBox);
    controls->addStretch(1);
    controls->addWidget(m_exportButton);

    m_weekly = BarChartView("weeklyReadingChart", "time read per week");
    m_finished = BarChartView("finishedBooksChart", "books finished per month");
    m_highlights = BarChartView("highlightsChart", "highlights per month");
    m_calendar = Named<ReadingCalendar>("readingCalendar");
    m_charts = Named<QStackedWidget>("readingCharts");
    for (QWidget* chart : std::initializer_list<QWidget*>{m_weekly, m_finished, m_highlights, m_calendar})
        m_charts->addWidget(chart);

    m_model = new BookReadingModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(BookReadingModel::kSortRole);
    m_table = Named<QTableView>("readingTable");
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(BookReadingModel::LastRead, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The title readable also in a narrow window (800 px): the table scrolls sideways instead.
    new ReadableColumn(*m_table, BookReadingModel::Title, 22);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(m_charts);
    split->addWidget(m_table);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    m_summary = Named<QLabel>("readingSummary", "no database loaded");

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 2);
    column->addLayout(controls);
    column->addWidget(split, 1);
    column->addWidget(m_summary);

    connect(m_chartChoice, &QComboBox::currentIndexChanged, m_charts, &QStackedWidget::setCurrentIndex);
    connect(m_backupsBox, &QCheckBox::toggled, this, [this] {
        m_stale = true;
        ReadIfStale();
    });
    connect(m_exportButton, &QPushButton::clicked, this, &ReadingStatsTab::ExportChosenChart);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        Show(m_watcher.result());
        ReadIfStale(); // the database or the choice changed while it read
    });
    chooseImageSize = [this]() -> std::optional<QSize> {
        const QList<QSize> sizes{{}, {1280, 720}, {1920, 1080}, {3840, 2160}};
        QStringList names{"as shown"};
        for (qsizetype i = 1; i < sizes.size(); ++i)
            names << QString("%1 x %2 pixels").arg(sizes[i].width()).arg(sizes[i].height());
        bool chosen = false;
        const QString name =
            QInputDialog::getItem(this, "export chart as PNG", "picture size", names, 0, false, &chosen);
        if (!chosen)
            return std::nullopt;
        return sizes.value(names.indexOf(name));
    };
    chooseImageFile = [this] {
        // The user's pictures folder first, where a picture is looked for.
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        return QFileDialog::getSaveFileName(this, "export chart as PNG", QDir(pictures).filePath("reading.png"),
                                            "PNG images (*.png)");
    };
    m_chartData = MakeReadingChartData({}, QDate::currentDate());
    FillCharts();
}

ReadingStatsTab::~ReadingStatsTab() {
    m_watcher.waitForFinished();
}

void ReadingStatsTab::ShowDatabase(const QString& database, const QString& backupsFolder) {
    m_database = database;
    m_backupsFolder = backupsFolder;
    m_stale = true;
    ReadIfStale();
}

bool ReadingStatsTab::IsReading() const {
    return m_watcher.isRunning();
}

void ReadingStatsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReadIfStale();
}

void ReadingStatsTab::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyPalette();
}

// One reading at a time, and only for a tab that is seen: a hidden tab reads when it is next shown.
void ReadingStatsTab::ReadIfStale() {
    if (!m_stale || !isVisible() || m_watcher.isRunning())
        return;
    m_stale = false;
    if (m_database.isEmpty()) {
        Show({});
        return;
    }
    m_summary->setText("reading statistics...");
    const std::filesystem::path database = ToPath(m_database);
    const std::filesystem::path backups = m_backupsBox->isChecked() ? ToPath(m_backupsFolder) : std::filesystem::path();
    m_watcher.setFuture(QtConcurrent::run(&m_readingThread, [database, backups] {
        Outcome outcome;
        try {
            SilentProgress silent;
            outcome.statistics = ReadReadingStatistics(
                database, backups.empty() ? std::vector<std::filesystem::path>() : ListBackups(backups), silent);
        } catch (const std::exception& error) {
            outcome.error = QString::fromUtf8(error.what());
        }
        return outcome;
    }));
}

void ReadingStatsTab::Show(const Outcome& outcome) {
    const ReadingStatistics none;
    const ReadingStatistics& statistics = outcome.statistics ? *outcome.statistics : none;
    m_model->SetBooks(statistics.books);
    m_chartData = MakeReadingChartData(statistics, QDate::currentDate());
    FillCharts();
    if (!outcome.error.isEmpty()) {
        m_summary->setText("the statistics could not be read: " + outcome.error);
    } else if (!outcome.statistics) {
        m_summary->setText(m_database.isEmpty() ? "no database loaded" : "database file not found");
    } else {
        std::int64_t total = 0;
        for (const BookReading& book : statistics.books)
            total = AddHeld(total, book.TimeRead());
        QString text = Counted(statistics.books.size(), "book", "books") + ", " +
                       QString::fromStdString(DurationText(total)) + " read, " +
                       Counted(statistics.sessions.size(), "session", "sessions") + ", from " +
                       Counted(statistics.databases, "database", "databases");
        if (const std::size_t leftOut = LeftOut(statistics.skipped))
            text += "; " + Counted(leftOut, "row", "rows") + " left out (marvik-cli stats tells why)";
        m_summary->setText(text);
    }
    emit StatisticsShown();
}

void ReadingStatsTab::FillCharts() {
    FillWeeks(m_weekly, m_chartData.weeks, m_chartData.hoursPerWeek);
    FillBars(m_finished, MonthLabels(m_chartData.months), AsDoubles(m_chartData.finishedPerMonth), "books",
             "no book finished in these 12 months");
    FillBars(m_highlights, MonthLabels(m_chartData.months), AsDoubles(m_chartData.highlightsPerMonth), "highlights",
             "no highlight made in these 12 months");
    m_calendar->SetDays(m_chartData.secondsPerDay, m_chartData.end.isValid() ? m_chartData.end : QDate::currentDate());
    ApplyPalette();
}

// The charts take the window's palette: a dark theme under a dark palette, the palette's own background, text and
// highlight colours, so that they read in light and dark alike.
void ReadingStatsTab::ApplyPalette() {
    const QPalette colours = palette();
    const bool dark = colours.color(QPalette::Window).lightness() < 128;
    for (QChartView* view : {m_weekly, m_finished, m_highlights}) {
        QChart* chart = view->chart();
        chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
        chart->setBackgroundBrush(colours.color(QPalette::Base));
        chart->setTitleBrush(colours.color(QPalette::Text));
        for (QAbstractAxis* axis : chart->axes()) {
            axis->setLabelsColor(colours.color(QPalette::Text));
            axis->setTitleBrush(colours.color(QPalette::Text));
        }
        for (QAbstractSeries* series : chart->series()) {
            if (auto* bars = qobject_cast<QBarSeries*>(series))
                for (QBarSet* set : bars->barSets())
                    set->setColor(colours.color(QPalette::Highlight));
            if (auto* area = qobject_cast<QAreaSeries*>(series)) {
                area->setColor(colours.color(QPalette::Highlight));
                area->setBorderColor(colours.color(QPalette::Highlight));
            }
        }
    }
    m_calendar->update();
}

bool ReadingStatsTab::ExportChart(const QString& file, QSize size) {
    QWidget* shown = m_charts->currentWidget();
    auto* view = qobject_cast<QChartView*>(shown);
    if (!size.isValid())
        return shown->grab().save(file, "PNG");
    if (view == nullptr) // the calendar: its picture scaled
        return shown->grab().scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(file, "PNG");
    // The chart laid out again at the picture's size, so that its text keeps its size and its bars fill the picture.
    QChart* chart = view->chart();
    const QSizeF before = chart->size();
    QPixmap picture(size);
    picture.fill(palette().color(QPalette::Base));
    chart->resize(size);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        view->scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(chart->pos(), QSizeF(size)));
    }
    chart->resize(before);
    return picture.save(file, "PNG");
}

void ReadingStatsTab::ExportChosenChart() {
    const std::optional<QSize> size = chooseImageSize();
    if (!size)
        return;
    const QString file = chooseImageFile();
    if (file.isEmpty())
        return;
    const QSize written = size->isValid() ? *size : m_charts->currentWidget()->size();
    m_summary->setText(
        ExportChart(file, *size)
            ? QString("chart written to %1, %2 x %3 pixels").arg(file).arg(written.width()).arg(written.height())
            : "the chart could not be written to " + file);
}
