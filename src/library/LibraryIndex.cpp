#include "LibraryIndex.h"

#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <string>
#include <unordered_map>

void LibraryIndex::Clear() {
    Volumes.Clear();
    TitlePairs.Clear();
    AuthorPairs.Clear();
}

namespace {

// Content rows name the same few book ids over and over; each distinct id is looked up in the list only once.
class VolumeMembership {
public:
    explicit VolumeMembership(const TSortedStringList& volumes) : m_volumes(volumes) {}

    bool Contains(const std::string& id) {
        const auto [it, inserted] = m_known.try_emplace(id, false);
        if (inserted)
            it->second = m_volumes.Contains(id);
        return it->second;
    }

private:
    const TSortedStringList& m_volumes;
    std::unordered_map<std::string, bool> m_known;
};

} // namespace

void ReadLibraryIndex(const std::filesystem::path& database, LibraryIndex& index) {
    index.Clear();
    TSQLiteDatabase db(database.string());

    {
        TSQLiteTable rows = db.GetTable("SELECT VolumeID, StartContainerChildIndex FROM Bookmark");
        if (rows.Count() > 0) {
            const auto volumeColumn = static_cast<std::uint32_t>(rows.FieldIndex("VolumeID"));
            const auto childColumn = static_cast<std::uint32_t>(rows.FieldIndex("StartContainerChildIndex"));
            // A volume whose every bookmark starts at child index "0" is not listed.
            std::unordered_map<std::string, bool> seen;
            for (; !rows.Eof(); rows.Next()) {
                std::string volume = rows.FieldAsString(volumeColumn);
                if (rows.FieldAsString(childColumn) == "0")
                    continue;
                if (seen.try_emplace(volume, true).second && !index.Volumes.Contains(volume))
                    index.Volumes.Add(volume);
            }
        }
    }
    VolumeMembership isVolume(index.Volumes);
    {
        TSQLiteTable rows = db.GetTable("SELECT BookID, BookTitle FROM content");
        if (rows.Count() > 0) {
            const auto bookColumn = static_cast<std::uint32_t>(rows.FieldIndex("BookID"));
            const auto titleColumn = static_cast<std::uint32_t>(rows.FieldIndex("BookTitle"));
            for (; !rows.Eof(); rows.Next()) {
                const std::string book = rows.FieldAsString(bookColumn);
                if (isVolume.Contains(book))
                    index.TitlePairs.Add(book + "=" + rows.FieldAsString(titleColumn));
            }
        }
    }
    {
        TSQLiteTable rows = db.GetTable("SELECT ContentID, Attribution FROM content");
        if (rows.Count() > 0) {
            const auto contentColumn = static_cast<std::uint32_t>(rows.FieldIndex("ContentID"));
            const auto authorColumn = static_cast<std::uint32_t>(rows.FieldIndex("Attribution"));
            for (; !rows.Eof(); rows.Next()) {
                const std::string content = rows.FieldAsString(contentColumn);
                if (isVolume.Contains(content))
                    index.AuthorPairs.Add(content + "=" + rows.FieldAsString(authorColumn));
            }
        }
    }
}
