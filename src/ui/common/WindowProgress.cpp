#include "WindowProgress.h"

#include "Utf8Text.h"

#include <QLabel>
#include <QLocale>
#include <QProgressBar>

#include <algorithm>
#include <limits>

void WindowProgress::SetStatus(const std::string& text) {
    if (text.empty() && !m_warning.empty()) {
        m_status.setText(DecodeUtf8(m_warning));
    } else {
        m_status.setText(DecodeUtf8(text));
    }
    m_status.repaint(); // the work that follows blocks the event loop
}

void WindowProgress::StartProgress(std::size_t maximum) {
    // A range of 0 to 0 would turn the bar into a busy indicator that nothing stops; a book without bookmarks has
    // nothing to show either way.
    const std::size_t steps = std::clamp<std::size_t>(maximum, 1, std::numeric_limits<int>::max());
    m_bar.setRange(0, static_cast<int>(steps));
    m_bar.setValue(0);
    m_bar.show();
}

void WindowProgress::StepProgress() {
    const int before = m_bar.value();
    const int after = std::min(before + 1, m_bar.maximum());
    m_bar.setValue(after);
    // Painting every one of thousands of steps would cost more than the work; a percent is what the eye sees.
    const auto percent = [this](int value) { return m_bar.maximum() > 0 ? 100LL * value / m_bar.maximum() : 0; };
    if (percent(after) != percent(before))
        m_bar.repaint();
}

void WindowProgress::Advance(std::size_t steps) {
    const auto room = static_cast<std::size_t>(m_bar.maximum() - m_bar.value());
    m_bar.setValue(m_bar.value() + static_cast<int>(std::min(steps, room)));
}

void WindowProgress::ShowBusy(bool busy) {
    if (busy) {
        m_idleMaximum = m_bar.maximum();
        m_bar.setRange(0, 0);
        m_bar.show();
    } else {
        m_bar.setRange(0, m_idleMaximum);
        m_bar.setValue(0);
    }
}

void WindowProgress::Warn(const std::string& text) {
    m_warning = text;
}

void WindowProgress::ResetProgress() {
    m_bar.setValue(0);
}

void WindowProgress::ShowOutcome(const QString& text) {
    m_bar.setValue(0);
    m_bar.hide(); // idle, the status has the whole row
    m_status.setText(m_warning.empty() ? text : text + QStringLiteral(" \u2014 ") + DecodeUtf8(m_warning));
    m_warning.clear();
}

QString Grouped(std::size_t count) {
    return QLocale(QLocale::English).toString(static_cast<qulonglong>(count));
}

QString Counted(std::size_t count, const QString& one, const QString& many) {
    return Grouped(count) + ' ' + (count == 1 ? one : many);
}
