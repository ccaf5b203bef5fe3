#include "ProgressRelay.h"

void ProgressRelay::Add(Report report) {
    const std::lock_guard lock(m_mutex);
    m_reports.push_back(std::move(report));
}

void ProgressRelay::SetStatus(const std::string& text) {
    Add({Kind::Status, 0, text});
}

void ProgressRelay::StartProgress(std::size_t maximum) {
    Add({Kind::Start, maximum, {}});
}

void ProgressRelay::StepProgress() {
    const std::lock_guard lock(m_mutex);
    if (!m_reports.empty() && m_reports.back().kind == Kind::Steps)
        ++m_reports.back().count;
    else
        m_reports.push_back({Kind::Steps, 1, {}});
}

void ProgressRelay::ResetProgress() {
    Add({Kind::Reset, 0, {}});
}

void ProgressRelay::Warn(const std::string& text) {
    Add({Kind::Warning, 0, text});
}
