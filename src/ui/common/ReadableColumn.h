#pragma once

#include <QObject>
#include <QPointer>

class QHeaderView;
class QTableView;
class QWidget;

// Keeps one column of a table (a title) as wide as the others leave it, but never narrower than about `letters`
// average characters: below that the table scrolls sideways rather than cutting the title to a few dots.
class ReadableColumn : public QObject {
public:
    ReadableColumn(QTableView& table, int column, int letters);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QPointer<QHeaderView> m_header;
    QPointer<QWidget> m_viewport;
    int m_column;
    int m_least;
};
