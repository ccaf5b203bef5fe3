#pragma once

#include "ProgressReporter.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

// Progress of work on another thread, kept until the window's thread passes it on: the widgets belong to that thread.
// Runs of steps are kept as one count, so that the work pays a lock and no allocation per step.
class ProgressRelay : public ProgressReporter {
public:
    void SetStatus(const std::string& text) override;
    void StartProgress(std::size_t maximum) override;
    void StepProgress() override;
    void ResetProgress() override;
    void Warn(const std::string& text) override;
    bool StopRequested() const override { return m_stop; }
    // From the window's thread (Cancel, a close request): the work stops at its next clean point.
    void RequestStop() { m_stop = true; }
    // For a StopScope on the work's thread, where its statements are the only points to stop at.
    const std::atomic<bool>& StopFlag() const { return m_stop; }

    // On the window's thread: hands what was reported since the last call to the reporter, in order; a run of steps
    // goes to steps (the count), the rest as it came.
    template <class Reporter, class Steps> void PassOn(Reporter& reporter, Steps steps) {
        std::vector<Report> reports;
        {
            const std::lock_guard lock(m_mutex);
            reports.swap(m_reports);
        }
        for (const Report& report : reports) {
            switch (report.kind) {
            case Kind::Status:
                reporter.SetStatus(report.text);
                break;
            case Kind::Start:
                reporter.StartProgress(report.count);
                break;
            case Kind::Steps:
                steps(report.count);
                break;
            case Kind::Reset:
                reporter.ResetProgress();
                break;
            case Kind::Warning:
                reporter.Warn(report.text);
                break;
            }
        }
    }

private:
    enum class Kind { Status, Start, Steps, Reset, Warning };
    struct Report {
        Kind kind;
        std::size_t count = 0;
        std::string text;
    };
    void Add(Report report);

    std::mutex m_mutex;
    std::vector<Report> m_reports;
    std::atomic<bool> m_stop = false;
};

// Work that has no clean point of its own between its steps (a load) ends at its next report once a stop is asked.
class EWorkStopped : public std::runtime_error {
public:
    EWorkStopped() : std::runtime_error("stopped") {}
};

// Passes reports on to the relay; once a stop is asked, a report raises EWorkStopped instead.
class StoppingProgress : public ProgressReporter {
public:
    explicit StoppingProgress(ProgressRelay& relay) : m_relay(relay) {}
    void SetStatus(const std::string& text) override { Checked().SetStatus(text); }
    void StartProgress(std::size_t maximum) override { Checked().StartProgress(maximum); }
    void StepProgress() override { Checked().StepProgress(); }
    void ResetProgress() override { Checked().ResetProgress(); }
    void Warn(const std::string& text) override { Checked().Warn(text); }
    bool StopRequested() const override { return m_relay.StopRequested(); }

private:
    ProgressRelay& Checked() {
        if (m_relay.StopRequested())
            throw EWorkStopped();
        return m_relay;
    }
    ProgressRelay& m_relay;
};
