#include "FrontMatter.h"

#include "FrontMatterValues.h"
#include "LineEnds.h"
#include "NoteMarkers.h"

#include <algorithm>
#include <map>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsFence(std::string_view line, std::string_view fence) {
    line = WithoutLineEnd(line);
    return line.substr(0, line.find_last_not_of(" \t") + 1) == fence;
}

enum class LineKind { Key, Comment, Blank, Continuation };

// What starts a top-level line, and the key it names.
LineKind KindOf(std::string_view line, std::string& key) {
    line = WithoutLineEnd(line);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return LineKind::Blank;
    if (line[0] == '#')
        return LineKind::Comment;
    if (line[0] == ' ' || line[0] == '\t' || line == "-" || line.starts_with("- "))
        return LineKind::Continuation;
    std::size_t colon = std::string_view::npos;
    if (line[0] == '"' || line[0] == '\'') {
        const std::size_t close = line.find(line[0], 1);
        if (close == std::string_view::npos)
            return LineKind::Continuation;
        colon = line.find_first_not_of(" \t", close + 1);
        if (colon == std::string_view::npos || line[colon] != ':')
            return LineKind::Continuation;
        key = std::string(line.substr(1, close - 1));
    } else {
        colon = line.find(": ");
        if (colon == std::string_view::npos && line.ends_with(':'))
            colon = line.size() - 1;
        if (colon == std::string_view::npos)
            colon = line.find(":\t");
        if (colon == std::string_view::npos)
            return LineKind::Continuation;
        key = std::string(line.substr(0, line.substr(0, colon).find_last_not_of(" \t") + 1));
    }
    return LineKind::Key;
}

// Blank lines at an entry's end go with the lines after it, so that replacing the entry keeps them.
void MoveTrailingBlankLines(std::vector<FrontMatterEntry>& entries) {
    std::vector<FrontMatterEntry> moved;
    for (FrontMatterEntry& entry : entries) {
        std::string blank;
        if (!entry.key.empty()) {
            std::vector<std::string_view> lines = SplitLines(entry.text);
            std::size_t kept = lines.size();
            while (kept > 1 && WithoutLineEnd(lines[kept - 1]).find_first_not_of(" \t") == std::string_view::npos)
                --kept;
            for (std::size_t i = kept; i < lines.size(); ++i)
                blank += lines[i];
            entry.text.resize(entry.text.size() - blank.size());
        }
        moved.push_back(std::move(entry));
        if (!blank.empty())
            moved.push_back({"", std::move(blank)});
    }
    entries = std::move(moved);
}

std::string WithFinalLineEnd(std::string text, bool crlf) {
    if (!text.empty() && !text.ends_with('\n'))
        text += crlf ? "\r\n" : "\n";
    return text;
}

// An entry's value to compare: as YAML reads it, else its text.
std::string ValueOf(std::string_view entry) {
    return EntryValue(entry).value_or("text:" + ToLf(entry));
}

} // namespace

std::string FrontMatter::Text() const {
    std::string text = opening;
    for (const FrontMatterEntry& entry : entries)
        text += entry.text;
    return text + closing;
}

std::optional<FrontMatter> ReadFrontMatter(std::string_view note, std::size_t& length) {
    const std::size_t start = note.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    const std::vector<std::string_view> lines = SplitLines(note.substr(start));
    if (lines.empty() || !lines[0].ends_with('\n') || !IsFence(lines[0], "---"))
        return std::nullopt;
    std::size_t offset = start + lines[0].size();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (IsFence(lines[i], "---") || IsFence(lines[i], "...")) {
            FrontMatter frontMatter;
            frontMatter.opening = std::string(note.substr(0, start + lines[0].size()));
            frontMatter.entries = SplitEntries(note.substr(start + lines[0].size(), offset - start - lines[0].size()));
            frontMatter.closing = std::string(lines[i]);
            length = offset + lines[i].size();
            return frontMatter;
        }
        offset += lines[i].size();
    }
    return std::nullopt;
}

std::vector<FrontMatterEntry> SplitEntries(std::string_view yaml) {
    std::vector<FrontMatterEntry> entries;
    bool inComment = false;
    for (const std::string_view line : SplitLines(yaml)) {
        std::string key;
        const LineKind kind = KindOf(line, key);
        const bool starts = entries.empty() || kind == LineKind::Key || (kind == LineKind::Comment && !inComment);
        if (starts)
            entries.push_back({key, ""});
        entries.back().text += line;
        if (kind != LineKind::Blank)
            inComment = kind == LineKind::Comment;
    }
    MoveTrailingBlankLines(entries);
    return entries;
}

std::set<std::string> KeysThatDiffer(std::string_view yaml, std::string_view otherYaml) {
    std::map<std::string, std::string> entries;
    for (FrontMatterEntry& entry : SplitEntries(yaml))
        entries.emplace(std::move(entry.key), std::move(entry.text));
    std::set<std::string> differ;
    for (FrontMatterEntry& entry : SplitEntries(otherYaml)) {
        const auto found = entries.find(entry.key);
        if (found == entries.end() || found->second != entry.text)
            differ.insert(entry.key);
        if (found != entries.end())
            entries.erase(found);
    }
    for (auto& [key, text] : entries)
        differ.insert(key);
    differ.erase("");
    return differ;
}

OwnedEntriesUpdate UpdateOwnedEntries(std::vector<FrontMatterEntry>& entries,
                                      const std::vector<FrontMatterEntry>& owned, bool crlf,
                                      const std::set<std::string>& left) {
    OwnedEntriesUpdate update;
    const auto find = [&entries](std::string_view key) {
        return std::find_if(entries.begin(), entries.end(), [&key](const auto& entry) { return entry.key == key; });
    };
    // A note without the record was written before the program kept one: a value there that differs from what the
    // program writes now may be the user's edit, so it is kept as theirs (taking the line out hands it back).
    const auto record = find(kWrittenValuesKey);
    const bool recorded = record != entries.end();
    const std::string recordText = recorded ? record->text : std::string();
    const WrittenValues before = recorded ? ParseWrittenValues(recordText) : WrittenValues();
    WrittenValues written;
    std::size_t after = 0; // where an owned entry the note lacks goes: after the owned entry before it
    bool anchored = false;
    const auto insert = [&](const std::string& key, const std::string& text) {
        const std::size_t at = anchored ? after : entries.size();
        if (at > 0 && !entries[at - 1].text.ends_with('\n'))
            entries[at - 1].text += crlf ? "\r\n" : "\n";
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), {key, text});
        after = at + 1;
        anchored = true;
        update.changed = true;
    };
    for (const FrontMatterEntry& entry : owned) {
        if (entry.key.empty() || entry.key == kWrittenValuesKey)
            continue;
        const std::string text = InLineEnds(WithFinalLineEnd(entry.text, false), crlf);
        const std::string value = ValueOf(text);
        const auto wrote = before.find(entry.key);
        auto present = find(entry.key);
        if (present == entries.end()) {
            if (wrote != before.end()) {
                // The user took the key out.
                written.insert(*wrote);
                update.kept.push_back(entry.key);
            } else if (!left.contains(entry.key)) {
                insert(entry.key, text);
                written[entry.key] = ValueHash(value);
            }
            continue;
        }
        after = static_cast<std::size_t>(present - entries.begin()) + 1;
        anchored = true;
        // An entry as the program writes it holds that value: the common case, without reading it again.
        const std::string held = present->text == text ? value : ValueOf(present->text);
        if (held == value) {
            written[entry.key] = ValueHash(value);
        } else if (!recorded || wrote == before.end() || wrote->second != ValueHash(held)) {
            // The user's value: its line stays as it is, comments included.
            if (wrote != before.end())
                written.insert(*wrote);
            update.kept.push_back(entry.key);
        } else if (left.contains(entry.key)) {
            written[entry.key] = ValueHash(held);
        } else {
            present->text = text;
            written[entry.key] = ValueHash(value);
            update.changed = true;
        }
    }
    const auto present = find(kWrittenValuesKey);
    const std::string line = InLineEnds(WrittenValuesLine(written) + '\n', crlf);
    if (present == entries.end())
        insert(std::string(kWrittenValuesKey), line);
    else if ((present->text == recordText ? before : ParseWrittenValues(present->text)) != written) {
        present->text = line;
        update.changed = true;
    }
    return update;
}
