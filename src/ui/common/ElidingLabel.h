#pragma once

#include <QLabel>

// A one-line label that never asks for more width than it is given: a long text is elided where it does not fit,
// and then shown whole as the tooltip. text() stays the whole text.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(Qt::TextElideMode mode, QWidget* parent = nullptr) : QLabel(parent), m_mode(mode) {}

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode m_mode;
};
