#include "SourcePaths.h"

#include "ClippingsSource.h"
#include "KOReaderSource.h"
#include "ReaderConnection.h"
#include "ReaderDatabaseSource.h"
#include "ReaderQuery.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <system_error>

namespace {

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string Opening(const std::filesystem::path& file, std::size_t bytes) {
    std::ifstream in(file, std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

bool IsSQLiteFile(const std::filesystem::path& file) {
    return Opening(file, 16) == std::string_view("SQLite format 3\0", 16);
}

// A clippings file by its name, or by the separator line its entries end with, near its start.
bool IsClippingsFile(const std::filesystem::path& file) {
    if (file.filename() == "My Clippings.txt")
        return true;
    return Opening(file, 64 * 1024).find("\n==========") != std::string::npos;
}

bool HasKOReader(const std::filesystem::path& folder) {
    return !FindSidecars(folder).empty();
}

// The ISBN column of each book of the database, for telling its books on other readers.
std::function<std::string(const std::string&)> IsbnsOfDatabase(const std::filesystem::path& database) {
    auto isbns = std::make_shared<std::optional<std::map<std::string, std::string>>>();
    return [database, isbns](const std::string& volumeId) -> std::string {
        if (!*isbns) {
            isbns->emplace();
            try {
                SilentProgress silent;
                ReadReaderDatabase(database, "the books' ISBNs", silent, [&](ReaderConnection& reader) {
                    ReaderQuery rows(reader, "content", {"ContentID", Optional("ISBN")}, "WHERE ContentType=6");
                    while (rows.Step())
                        if (!rows.Text(1).empty())
                            (*isbns)->emplace(std::string(rows.Text(0)), std::string(rows.Text(1)));
                });
            } catch (const std::exception&) {
                // Books without ISBNs are still told by title and author.
            }
        }
        const auto found = (*isbns)->find(volumeId);
        return found == (*isbns)->end() ? std::string() : found->second;
    };
}

SourceMember OpenDatabase(const std::filesystem::path& database, ProgressReporter& progress,
                          const ReadingOptions& options) {
    auto library = std::make_unique<ReaderDatabaseSource>();
    const LoadOutcome outcome = library->LoadDatabase(database, progress, options);
    if (outcome.kind == LoadOutcome::Kind::Failed)
        throw std::runtime_error(database.string() + ": " + outcome.error);
    if (outcome.kind != LoadOutcome::Kind::Loaded)
        throw std::runtime_error("database file not found: " + database.string());
    return {std::move(library), IsbnsOfDatabase(database)};
}

SourceMember OpenKOReader(const std::filesystem::path& path, ProgressReporter& progress) {
    auto source = std::make_unique<KOReaderSource>(path, progress);
    // A sidecar named on its own that cannot be read is the reading's failure, not one book among others.
    std::error_code error;
    if (!source->Refused().empty() && !std::filesystem::is_directory(path, error))
        throw std::runtime_error(source->Refused().front());
    const KOReaderSource* koreader = source.get();
    return {std::move(source), [koreader](const std::string& id) { return koreader->IsbnOf(id); }};
}

} // namespace

std::vector<SourcePathKind> KindsOfSourcePath(const std::filesystem::path& path) {
    std::error_code error;
    if (IsFile(path)) {
        if (IsSQLiteFile(path))
            return {SourcePathKind::ReaderDatabase};
        if (path.extension() == ".lua")
            return {SourcePathKind::KOReader};
        if (IsClippingsFile(path))
            return {SourcePathKind::KindleClippings};
        return {};
    }
    if (!std::filesystem::is_directory(path, error))
        return {};
    std::vector<SourcePathKind> kinds;
    if (IsFile(path / ".kobo" / "KoboReader.sqlite"))
        kinds.push_back(SourcePathKind::ReaderDatabase);
    if (HasKOReader(path))
        kinds.push_back(SourcePathKind::KOReader);
    if (IsFile(ClippingsFileOf(path)))
        kinds.push_back(SourcePathKind::KindleClippings);
    return kinds;
}

std::vector<SourceMember> OpenSourcePath(const std::filesystem::path& path, ProgressReporter& progress,
                                         const ReadingOptions& options) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw std::runtime_error("not found: " + path.string());
    const std::vector<SourcePathKind> kinds = KindsOfSourcePath(path);
    if (kinds.empty())
        throw std::runtime_error("no reader's highlights found in " + path.string() +
                                 ": not a Kobo database, KOReader sidecar or folder, or Kindle clippings file");
    const bool folder = std::filesystem::is_directory(path, error);
    std::vector<SourceMember> members;
    for (const SourcePathKind kind : kinds) {
        switch (kind) {
        case SourcePathKind::ReaderDatabase:
            members.push_back(OpenDatabase(folder ? path / ".kobo" / "KoboReader.sqlite" : path, progress, options));
            break;
        case SourcePathKind::KOReader:
            members.push_back(OpenKOReader(path, progress));
            break;
        case SourcePathKind::KindleClippings:
            members.push_back({std::make_unique<ClippingsSource>(path, progress), {}});
            break;
        }
    }
    return members;
}

std::unique_ptr<CombinedSource> OpenSourcePaths(const std::vector<std::filesystem::path>& paths,
                                                ProgressReporter& progress, const ReadingOptions& options) {
    std::vector<SourceMember> members;
    for (const std::filesystem::path& path : paths)
        for (SourceMember& member : OpenSourcePath(path, progress, options))
            members.push_back(std::move(member));
    return std::make_unique<CombinedSource>(std::move(members));
}

std::vector<std::filesystem::path> OtherReadersFilesOf(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files = FindSidecars(folder);
    if (const std::filesystem::path clippings = ClippingsFileOf(folder); IsFile(clippings))
        files.push_back(clippings);
    return files;
}
