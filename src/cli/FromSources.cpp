#include "FromSources.h"

#include "SourcePaths.h"

#include <ostream>
#include <stdexcept>
#include <system_error>

namespace {

std::vector<std::filesystem::path> SourcePathsOf(const CommandLine& line) {
    std::vector<std::filesystem::path> paths;
    if (line.database)
        paths.push_back(*line.database);
    paths.insert(paths.end(), line.fromPaths.begin(), line.fromPaths.end());
    return paths;
}

} // namespace

std::unique_ptr<AnnotationSource> OpenFromSources(const CommandLine& line, ProgressReporter& progress) {
    return OpenSourcePaths(SourcePathsOf(line), progress, line.options.reading);
}

std::filesystem::path StatsDatabaseFrom(const CommandLine& line, std::ostream& err) {
    std::optional<std::filesystem::path> database;
    for (const std::filesystem::path& path : SourcePathsOf(line)) {
        const std::vector<SourcePathKind> kinds = KindsOfSourcePath(path);
        const bool kobo = !kinds.empty() && kinds.front() == SourcePathKind::ReaderDatabase;
        if (kobo && !database) {
            std::error_code error;
            database = std::filesystem::is_directory(path, error) ? path / ".kobo" / "KoboReader.sqlite" : path;
            continue;
        }
        err << "marvik-cli: " << path.string()
            << (kobo ? ": one Kobo database at a time: left out"
                     : ": only a Kobo reader's database keeps reading sessions: left out")
            << '\n';
    }
    if (!database)
        throw std::runtime_error("stats: no Kobo database among the paths: only a Kobo reader's database (or the "
                                 "desktop app's Kobo.sqlite) keeps reading sessions");
    return *database;
}
