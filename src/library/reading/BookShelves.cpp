#include "BookShelves.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

#include <set>

namespace {

bool HasTable(ReaderConnection& reader, const char* table) {
    return !reader.Schema().Columns(table).empty();
}

} // namespace

std::vector<std::string> ReadCollections(ReaderConnection& reader, const std::string& volumeId) {
    if (!HasTable(reader, "Shelf") || !HasTable(reader, "ShelfContent"))
        return {};
    // A book's row names its collection by name; a collection deleted on the reader may keep its books' rows.
    std::set<std::string, std::less<>> live;
    {
        ReaderQuery shelves(reader, "Shelf", {"Name", Optional("_IsDeleted")});
        while (shelves.Step())
            if (!IsDeletedOnReader(shelves.Text(1)) && !shelves.Text(0).empty())
                live.emplace(shelves.Text(0));
    }
    std::set<std::string, std::less<>> held;
    ReaderQuery rows(reader, "ShelfContent", {"ShelfName", Optional("_IsDeleted")}, "WHERE ContentId=?", {volumeId});
    while (rows.Step())
        if (!IsDeletedOnReader(rows.Text(1)) && live.contains(rows.Text(0)))
            held.emplace(rows.Text(0));
    return {held.begin(), held.end()};
}

std::string ReadRating(ReaderConnection& reader, const std::string& volumeId) {
    if (!HasTable(reader, "ratings"))
        return {};
    ReaderQuery rows(reader, "ratings", {"Rating"}, "WHERE ContentID=?", {volumeId});
    if (!rows.Step())
        return {};
    const std::string_view stars = rows.Text(0);
    return stars.size() == 1 && stars[0] >= '1' && stars[0] <= '5' ? std::string(stars) : std::string();
}
