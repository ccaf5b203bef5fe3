#include "SyncCommand.h"

#include "NoteDiff.h"
#include "NotesSync.h"
#include "StopOnSignals.h"
#include "TemplateSet.h"

#include <optional>
#include <ostream>
#include <stdexcept>

namespace {

// What one book's sync did, as the line asked to tell it.
void Tell(const PlannedNote& planned, const CommandLine& line, const NotesFolder& folder, std::ostream& out,
          std::ostream& err) {
    if (planned.Failed()) {
        out.flush();
        err << "marvik-cli: " << planned.volumeId << ": " << planned.error << '\n';
        return;
    }
    const bool kept = !planned.changes.keptAsEdited.empty() || !planned.changes.keptKeys.empty();
    const bool heldBack = line.dryRun && !planned.changes.heldBack.empty();
    if (!planned.Changes() && !kept && !heldBack)
        return;
    if (line.dryRun) {
        out << planned.file.string() << ": " << DescribeChanges(planned) << '\n';
    } else if (planned.Changes()) {
        out << planned.file.string() << '\n';
    }
    if (!line.dryRun && kept) {
        out.flush();
        err << "marvik-cli: " << planned.file.string() << ": " << DescribeChanges(planned) << '\n';
    }
    if (line.showDiff && planned.Changes()) {
        const std::string name = planned.file.lexically_relative(folder.Path()).string();
        out << UnifiedDiff(planned.previous, planned.text, planned.isNew ? "/dev/null" : "a/" + name, "b/" + name);
    }
    out.flush();
}

// The run's own progress, asked to stop by a signal between two books.
class StoppedBySignal : public ProgressReporter {
public:
    explicit StoppedBySignal(ProgressReporter& outer) : m_outer(outer) {}
    void SetStatus(const std::string& text) override { m_outer.SetStatus(text); }
    void StartProgress(std::size_t maximum) override { m_outer.StartProgress(maximum); }
    void StepProgress() override { m_outer.StepProgress(); }
    void ResetProgress() override { m_outer.ResetProgress(); }
    void Warn(const std::string& text) override { m_outer.Warn(text); }
    bool StopRequested() const override { return StopOnSignals::Flag().load() || m_outer.StopRequested(); }

private:
    ProgressReporter& m_outer;
};

} // namespace

int SyncNotes(const CommandLine& line, const AnnotationSource& library, NotesFolder& folder, ProgressReporter& progress,
              std::ostream& out, std::ostream& err) {
    const std::shared_ptr<const TemplateSet> templates = line.options.templates;
    if (!templates)
        throw std::logic_error("sync without a template set");
    folder.SetRestore(line.restore);
    std::optional<StopOnSignals> signals(std::in_place);
    StoppedBySignal stoppable(progress);
    const SyncTally tally =
        SyncAllNotes(library, folder, {*templates, line.options.reading, line.dryRun, line.retemplate}, stoppable,
                     [&](const PlannedNote& planned) { Tell(planned, line, folder, out, err); });
    // The handlers from before first: a signal until then is seen below, one after it ends the process.
    signals.reset();
    const bool stopped = StopOnSignals::Flag().load();
    out.flush();
    err << "marvik-cli: " << (stopped ? "stopped by a signal, the notes of the other books left as they were: " : "")
        << (line.dryRun ? "nothing written (dry run): " : "") << tally.Summary() << '\n';
    if (stopped)
        return StopOnSignals::ExitStatus();
    return tally.failed == 0 ? kExitOk : kExitError;
}
