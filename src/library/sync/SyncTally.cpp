#include "SyncTally.h"

namespace {

void Append(std::string& text, std::size_t count, const char* what) {
    if (count == 0)
        return;
    if (!text.empty())
        text += ", ";
    text += std::to_string(count) + " " + what;
}

// "60,983": the digits in groups of three, as the window shows counts.
std::string Grouped(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
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
    std::string text = Grouped(notes) + (notes == 1 ? " note: " : " notes: ") + Grouped(added) +
                       (added == 1 ? " highlight added, " : " highlights added, ") + Grouped(updated) + " updated, " +
                       Grouped(markedDeleted) + " marked deleted, " + Grouped(keptAsEdited) +
                       " kept as you edited them";
    if (failed > 0)
        text += ", " + Grouped(failed) + " failed";
    return text;
}

std::string DescribeChanges(const PlannedNote& note) {
    const NoteChanges& changes = note.changes;
    std::string text = note.isNew ? "new note" : "";
    Append(text, changes.added.size(), "added");
    Append(text, changes.updated.size(), "updated");
    Append(text, changes.markedDeleted.size(), "marked deleted");
    const std::size_t kept = changes.keptAsEdited.size() + changes.keptKeys.size();
    Append(text, kept, kept == 1 ? "kept as you edited it" : "kept as you edited them");
    Append(text, changes.heldBack.size(), "held back (removed from the note; --restore adds them again)");
    if (changes.frontMatterUpdated && !note.isNew)
        text += text.empty() ? "front matter updated" : ", front matter updated";
    return text.empty() ? "no change" : text;
}
