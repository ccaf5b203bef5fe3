#include "Floors.h"

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Connection Open(const std::filesystem::path& database) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open(database.c_str(), &raw);
    Connection db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("floor: cannot open " + database.string());
    return db;
}

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("floor: ") + sqlite3_errmsg(db));
    return Statement(raw);
}

// Touches every column of every row; appends the columns named in keep to text, when text is given.
template <class Keep> std::uint64_t StepAll(sqlite3_stmt* statement, Keep keep) {
    std::uint64_t sum = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(statement, c);
            const int size = sqlite3_column_bytes(statement, c);
            sum += static_cast<std::uint64_t>(size) + (text != nullptr && size > 0 ? text[0] : 0);
            keep(c, reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
        }
    }
    return sum;
}

} // namespace

std::uint64_t LoadFloor(const std::filesystem::path& database) {
    const Connection db = Open(database);
    const auto ignore = [](int, const char*, std::size_t) {};
    std::uint64_t sum =
        StepAll(Prepare(db.get(), "SELECT VolumeID, StartContainerChildIndex FROM Bookmark").get(), ignore);
    sum += StepAll(Prepare(db.get(), "SELECT BookID, BookTitle, ContentID, Attribution FROM content").get(), ignore);
    return sum;
}

std::uint64_t OverviewFloor(const std::filesystem::path& database) {
    const Connection db = Open(database);
    const auto ignore = [](int, const char*, std::size_t) {};
    std::uint64_t sum = StepAll(Prepare(db.get(), "SELECT VolumeID, BookmarkID, ContentID, Text, Annotation, Hidden, "
                                                  "Type, DateCreated FROM Bookmark")
                                    .get(),
                                ignore);
    sum += StepAll(Prepare(db.get(), "SELECT ContentID, Title, ___PercentRead FROM content").get(), ignore);
    return sum;
}

std::uint64_t ExportFloor(const std::filesystem::path& database, const std::string& volumeId,
                          const std::filesystem::path& file, std::size_t fileSize) {
    std::string bytes;
    bytes.reserve(fileSize);
    std::uint64_t sum = 0;
    {
        const Connection db = Open(database);
        const Statement marks = Prepare(db.get(), "SELECT BookmarkID, ContentID, StartContainerPath, StartOffset, "
                                                  "Text, Annotation FROM Bookmark WHERE VolumeID=?");
        sqlite3_bind_text(marks.get(), 1, volumeId.data(), static_cast<int>(volumeId.size()), SQLITE_STATIC);
        sum += StepAll(marks.get(), [&bytes](int column, const char* text, std::size_t size) {
            if (column == 4 && text != nullptr)
                bytes.append(text, size).push_back('\t');
            if (column == 5) {
                if (text != nullptr)
                    bytes.append(text, size);
                bytes.append("\r\n");
            }
        });
        const Statement parts = Prepare(db.get(), "SELECT ContentID, Title, Attribution FROM content WHERE BookID=?");
        sqlite3_bind_text(parts.get(), 1, volumeId.data(), static_cast<int>(volumeId.size()), SQLITE_STATIC);
        sum += StepAll(parts.get(), [&bytes](int column, const char* text, std::size_t size) {
            if (column == 1 && text != nullptr)
                bytes.append(">>>SECTION: ").append(text, size).append("\r\n");
        });
    }
    bytes.resize(fileSize, ' ');
    const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "wb"));
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size())
        throw std::runtime_error("floor: cannot write " + file.string());
    return sum;
}
