#pragma once

#include "ProgressReporter.h"

#include <QString>

#include <cstddef>

class QLabel;
class QProgressBar;

// Progress shown in the window's status label, painted at once, and its progress bar, which is shown only while
// there is progress to show.
class WindowProgress : public ProgressReporter {
public:
    WindowProgress(QLabel& status, QProgressBar& bar) : m_status(status), m_bar(bar) {}

    void SetStatus(const std::string& text) override;
    void StartProgress(std::size_t maximum) override;
    void StepProgress() override;
    void ResetProgress() override;
    // Steps made elsewhere, passed on at once.
    void Advance(std::size_t steps);
    // A bar that moves by itself, for work that cannot count its steps; off brings back the bar as it was.
    void ShowBusy(bool busy);
    // Shown when the action ends, in place of the empty status, and with its outcome, so that it stays to be read.
    void Warn(const std::string& text) override;
    // How the action ended; the progress bar goes back to empty and out of sight.
    void ShowOutcome(const QString& text);

private:
    QLabel& m_status;
    std::string m_warning;
    QProgressBar& m_bar;
    int m_idleMaximum = 0; // the bar's range before it showed busy
};

// "2,367": a count for the status line, grouped as its English texts are.
QString Grouped(std::size_t count);
// "1 book", "2,367 books".
QString Counted(std::size_t count, const QString& one, const QString& many);
