#pragma once

#include "TextStore.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What a ledger knows of one exported bookmark: enough to tell that it changed since. Its id, date and digest lie
// side by side in the store of what holds it: a ledger of a million highlights holds a million marks, and a view for
// each of the three took as much again as their bytes.
class LedgerMark {
public:
    static constexpr std::size_t kDigestSize = 32; // SHA-256

    // A mark whose bytes are copied into texts; digest holds kDigestSize bytes.
    static LedgerMark Keep(TextStore& texts, std::string_view bookmarkId, std::string_view modified,
                           std::string_view digest);

    std::string_view BookmarkId() const { return {m_bytes, m_idSize}; }
    // DateModified, or DateCreated where that is empty; empty where the export read no dates.
    std::string_view Modified() const { return {m_bytes + m_idSize, m_modifiedSize}; }
    // SHA-256 of its text and note, as bytes: firmware that keeps the date still changes these.
    std::string_view Digest() const { return {m_bytes + m_idSize + m_modifiedSize, kDigestSize}; }

private:
    const char* m_bytes = nullptr;
    std::uint32_t m_idSize = 0; // SQLite's texts stay below 4 GiB, and so does a ledger file
    std::uint32_t m_modifiedSize = 0;
};

// Marks with the store of their bytes.
struct LedgerMarks {
    TextStore texts;
    std::vector<LedgerMark> marks;
};

// For each volume id its marks, one for each bookmark id, in byte order of the ids. Their bytes are in the store of
// what holds them.
struct LedgerBooks {
    std::map<std::string, std::vector<LedgerMark>> books;

    // The volume's marks; null when it has none.
    const std::vector<LedgerMark>* Find(const std::string& volumeId) const;
    // Adds the marks of the volume, replacing those of the same bookmarks; marks is left empty.
    void Record(const std::string& volumeId, std::vector<LedgerMark>&& marks);
};

// What a ledger holds: per export format the books exported in it.
struct LedgerContents {
    TextStore texts;
    // Recorded before formats were told apart: they count for every format that has no mark of its own.
    LedgerBooks everyFormat;
    std::map<std::string, LedgerBooks, std::less<>> formats; // by the format's name (ExportFormatRow::name)
};

// The mark of the bookmark among a volume's marks; null when it has none.
const LedgerMark* FindMark(const std::vector<LedgerMark>* marks, std::string_view bookmarkId);

// Puts marks in byte order of their ids and keeps the last of each id.
void SettleMarks(std::vector<LedgerMark>& marks);
