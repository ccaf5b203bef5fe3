#include "ArchiveStatus.h"

#include "ArchiveFile.h"
#include "TSQLiteCursor.h"

#include <nlohmann/json.hpp>

namespace {

std::size_t Count(TSQLiteDatabase& db, const std::string& sql) {
    TSQLiteCursor rows(db, sql);
    return rows.Step() ? static_cast<std::size_t>(rows.StoredField(0).integer) : 0;
}

} // namespace

ArchiveStatus ReadArchiveStatus(const std::filesystem::path& path, ProgressReporter& progress) {
    ArchiveStatus status;
    status.archive = path;
    const std::unique_ptr<TSQLiteDatabase> db = OpenArchive(path, false, progress);
    if (!db)
        return status;
    status.exists = true;
    // One read transaction: every count of the same state, while an add may be writing.
    db->ExecSQL("BEGIN");
    status.readers = Count(*db, "SELECT count(*) FROM readers");
    status.books = Count(*db, "SELECT count(*) FROM (SELECT DISTINCT reader, VolumeID FROM highlights)");
    status.highlights = Count(*db, "SELECT count(*) FROM highlights");
    status.gone = Count(*db, "SELECT count(*) FROM highlights WHERE goneSince IS NOT NULL");
    status.sessions = Count(*db, "SELECT count(*) FROM sessions");
    {
        TSQLiteCursor rows(*db, "SELECT path, (SELECT count(*) FROM databases WHERE source = sources.id), firstAdded, "
                                "lastNew FROM sources ORDER BY path");
        while (rows.Step()) {
            ArchiveStatus::Source& source = status.sources.emplace_back();
            source.path = rows.FieldAsText(0);
            source.databases = static_cast<std::size_t>(rows.StoredField(1).integer);
            source.firstAdded = rows.FieldAsText(2);
            if (rows.StoredField(3).kind != TStoredField::Kind::Null)
                source.lastNew = std::string(rows.FieldAsText(3));
        }
    }
    db->ExecSQL("COMMIT");
    return status;
}

std::string ArchiveStatusText(const ArchiveStatus& status) {
    std::string text = "archive: " + status.archive.string() + (status.exists ? "" : " (none made yet)") + "\n";
    text += "books: " + std::to_string(status.books) + "\n";
    text += "highlights: " + std::to_string(status.highlights) + "\n";
    text += "gone from the reader: " + std::to_string(status.gone) + "\n";
    text += "sessions: " + std::to_string(status.sessions) + "\n";
    text += "readers: " + std::to_string(status.readers) + "\n";
    text += "sources: " + std::to_string(status.sources.size()) + "\n";
    for (const ArchiveStatus::Source& source : status.sources)
        text += "  " + source.path + "\n    " + std::to_string(source.databases) +
                (source.databases == 1 ? " database" : " databases") + ", first added " + source.firstAdded +
                ", last brought something new " + source.lastNew.value_or("never") + "\n";
    return text;
}

std::string ArchiveStatusJson(const ArchiveStatus& status) {
    nlohmann::ordered_json document = {{"archive", status.archive.string()},
                                       {"exists", status.exists},
                                       {"books", status.books},
                                       {"highlights", status.highlights},
                                       {"gone", status.gone},
                                       {"sessions", status.sessions},
                                       {"readers", status.readers},
                                       {"sources", nlohmann::ordered_json::array()}};
    for (const ArchiveStatus::Source& source : status.sources) {
        nlohmann::ordered_json entry = {{"path", source.path},
                                        {"databases", source.databases},
                                        {"firstAdded", source.firstAdded},
                                        {"lastNew", nullptr}};
        if (source.lastNew)
            entry["lastNew"] = *source.lastNew;
        document["sources"].push_back(entry);
    }
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}
