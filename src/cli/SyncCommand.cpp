#include "SyncCommand.h"

#include "NoteDiff.h"
#include "NotesSync.h"
#include "TemplateSet.h"

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

} // namespace

int SyncNotes(const CommandLine& line, const ReaderLibrary& library, NotesFolder& folder, ProgressReporter& progress,
              std::ostream& out, std::ostream& err) {
    const std::shared_ptr<const TemplateSet> templates = line.options.templates;
    if (!templates)
        throw std::logic_error("sync without a template set");
    folder.SetRestore(line.restore);
    const SyncTally tally =
        SyncAllNotes(library, folder, {*templates, line.options.reading, line.dryRun, line.retemplate}, progress,
                     [&](const PlannedNote& planned) { Tell(planned, line, folder, out, err); });
    out.flush();
    err << "marvik-cli: " << (line.dryRun ? "nothing written (dry run): " : "") << tally.Summary() << '\n';
    return tally.failed == 0 ? kExitOk : kExitError;
}
