#pragma once

#include <QDate>
#include <QMap>
#include <QWidget>

// A calendar of reading days: a column per week, a row per weekday, each day shaded by the time read on it, in the
// palette's own colours, so that it reads in light and dark alike. Hovering a day tells its date and time read.
class ReadingCalendar : public QWidget {
    Q_OBJECT

public:
    explicit ReadingCalendar(QWidget* parent = nullptr);

    // The weeks up to the one holding end, with the seconds read per day.
    void SetDays(const QMap<QDate, qint64>& secondsPerDay, const QDate& end);
    // The shade of a day: 0 no reading, up to 4 an hour or more.
    static int Level(qint64 seconds);
    // The day under a point of the widget; invalid where there is none.
    QDate DayAt(const QPoint& point) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect CellRect(int week, int weekday) const;
    QColor LevelColor(int level) const;

    QMap<QDate, qint64> m_secondsPerDay;
    QDate m_firstMonday;
    int m_weeks = 53;
};
