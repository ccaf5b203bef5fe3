#pragma once

#include <cstddef>
#include <string>

// What a long operation tells its front end: a status text to show at once, and a progress bar.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    // The name of the running operation ("reading database", ...); empty when it is done.
    virtual void SetStatus(const std::string& text) = 0;
    // Position 0, the given maximum, steps of 1.
    virtual void StartProgress(std::size_t maximum) = 0;
    virtual void StepProgress() = 0;
    // Position back to 0.
    virtual void ResetProgress() = 0;
    // Something the user should know about the result, said once ("The database file is damaged; ...").
    virtual void Warn(const std::string& text) = 0;
    // Whether the front end asked the work to stop at its next clean point (between books).
    virtual bool StopRequested() const { return false; }
};

// For callers that show nothing.
class SilentProgress : public ProgressReporter {
public:
    void SetStatus(const std::string&) override {}
    void StartProgress(std::size_t) override {}
    void StepProgress() override {}
    void ResetProgress() override {}
    void Warn(const std::string&) override {}
};
