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

private:
    QLabel& m_status;
    QProgressBar& m_bar;
};
