#include "SyncTally.h"

namespace {

void Append(std::string& text, std::size_t count, const char* what) {
    if (count == 0)
        return;
    if (!text.empty())
        text += ", ";
    text += std::to_string(count) + " " + what;
}

} // namespace

void SyncTally::Count(const PlannedNote& note) {
    if (note.Failed()) {
        ++failed;
        return;
    }
    if (note.file.empty())
        return;
    ++notes;
    added += note.changes.added.size();
    updated += note.changes.updated.size();
    markedDeleted += note.changes.markedDeleted.size();
    keptAsEdited += note.changes.keptAsEdited.size() + note.changes.keptKeys.size();
}

std::string SyncTally::Summary() const {
    return std::to_string(notes) + (notes == 1 ? " note: " : " notes: ") + std::to_string(added) + " added, " +
           std::to_string(updated) + " updated, " + std::to_string(markedDeleted) + " marked deleted, " +
           std::to_string(keptAsEdited) + " kept as you edited them";
}

std::string DescribeChanges(const PlannedNote& note) {
    const NoteChanges& changes = note.changes;
    std::string text = note.isNew ? "new note" : "";
    Append(text, changes.added.size(), "added");
    Append(text, changes.updated.size(), "updated");
    Append(text, changes.markedDeleted.size(), "marked deleted");
    const std::size_t kept = changes.keptAsEdited.size() + changes.keptKeys.size();
    Append(text, kept, kept == 1 ? "kept as you edited it" : "kept as you edited them");
    if (changes.frontMatterUpdated && !note.isNew)
        text += text.empty() ? "front matter updated" : ", front matter updated";
    return text.empty() ? "no change" : text;
}
