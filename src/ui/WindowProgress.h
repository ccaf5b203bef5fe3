#pragma once

#include "ProgressReporter.h"

class QLabel;
class QProgressBar;

// Progress shown in the window's status label, painted at once, and its progress bar.
class WindowProgress : public ProgressReporter {
public:
    WindowProgress(QLabel& status, QProgressBar& bar) : m_status(status), m_bar(bar) {}

    void SetStatus(const std::string& text) override;
    void StartProgress(std::size_t maximum) override;
    void StepProgress() override;
    void ResetProgress() override;
    // Shown when the action ends, in place of the empty status, so that it stays to be read.
    void Warn(const std::string& text) override;

private:
    QLabel& m_status;
    std::string m_warning;
    QProgressBar& m_bar;
};
