#pragma once

#include "ProgressReporter.h"

#include <string>
#include <vector>

namespace fixture {

// Remembers what an operation told its front end, one event per call ("status:...", "start:N", "reset"), with the
// steps counted apart.
class RecordingProgress : public ProgressReporter {
public:
    void SetStatus(const std::string& text) override { events.push_back("status:" + text); }
    void StartProgress(std::size_t maximum) override { events.push_back("start:" + std::to_string(maximum)); }
    void StepProgress() override { ++steps; }
    void ResetProgress() override { events.push_back("reset"); }
    void Warn(const std::string& text) override { events.push_back("warn:" + text); }

    std::vector<std::string> events;
    std::size_t steps = 0;
};

} // namespace fixture
