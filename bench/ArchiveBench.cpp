// marvik-archive-bench: marvik-cli archive add on the large generated library and 30 backups of it, each with a few
// changes, against marvik-cli export --all --format json of the library; and the archive's size against the
// database's. Not a test: run build/<preset>/bin/marvik-archive-bench [MARVIK_CLI] by hand (another build's
// marvik-cli to compare it with this one's in one sitting).
#include "BackupFiles.h"
#include "LargeLibrary.h"
#include "ReaderDatabase.h"
#include "TempFolder.h"
#include "TimedChild.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kBackups = 30;
constexpr double kFirstAddGoal = 2.0; // x export --all --format json
constexpr double kKnownAddGoal = 0.1; // each later unchanged backup, x the same
constexpr double kSizeGoal = 1.5;     // x one database

std::string g_cli = MARVIK_CLI;

double Timed(const std::vector<std::string>& arguments, const fs::path& folder, const char* name) {
    std::vector<std::string> argv = {g_cli};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ChildFigure figure = RunTimed(argv, folder, folder / (std::string(name) + ".out"));
    std::printf("%-58s %8.3f s   peak %6.1f MB\n", name, figure.seconds, figure.peakMb);
    return figure.seconds;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_cli = argv[1];
    const TempFolder folder;
    const fs::path library = folder / "KoboReader.sqlite";
    GenerateLibrary(library, LibraryShape{});
    const fs::path backups = folder / "backups";
    fs::create_directory(backups);
    // Each backup the reader a day later: two highlights deleted, one note edited, one session read.
    const fs::path reader = folder / "reader.sqlite";
    fs::copy_file(library, reader);
    const std::time_t first = 1730000000;
    for (int day = 0; day < kBackups; ++day) {
        {
            fixture::ReaderDatabase db(reader, fixture::ReaderDatabase::Existing);
            db.Exec("DELETE FROM Bookmark WHERE rowid IN (" + std::to_string(day * 97 + 5) + ", " +
                    std::to_string(day * 97 + 50) + ")");
            db.Exec("UPDATE Bookmark SET Annotation = 'edited on day " + std::to_string(day) +
                    "' WHERE rowid = " + std::to_string(day * 89 + 7));
        }
        const std::time_t made = first + day * 86400;
        const fs::path backup = backups / BackupFileName(made);
        fs::copy_file(reader, backup);
        MarkBackupMadeAt(backup, made);
    }

    const fs::path archive = folder / "archive.sqlite";
    const double exportAll = Timed(
        {"export", "--db", library.string(), "--all", "--format", "json", "--results", (folder / "results").string()},
        folder.Path(), "export --all --format json");
    const fs::path oldest = backups / BackupFileName(first);
    const double firstAdd = Timed({"archive", "add", "--archive", archive.string(), oldest.string()}, folder.Path(),
                                  "archive add (the oldest backup, into no archive)");
    const double folderAdd = Timed({"archive", "add", "--archive", archive.string(), backups.string()}, folder.Path(),
                                   "archive add (the folder: 29 more, each with a few changes)");
    const double knownAdd = Timed({"archive", "add", "--archive", archive.string(), backups.string()}, folder.Path(),
                                  "archive add (the same 30 backups again)");
    Timed({"archive", "status", "--archive", archive.string()}, folder.Path(), "archive status");
    const double databaseMb = static_cast<double>(fs::file_size(library)) / 1e6;
    const double archiveMb = static_cast<double>(fs::file_size(archive)) / 1e6;

    std::printf("\nfirst add: %.2f x export   goal <= %.1f: %s\n", firstAdd / exportAll, kFirstAddGoal,
                Verdict(firstAdd <= kFirstAddGoal * exportAll));
    std::printf("each later backup with a few changes: %.3f s, %.2f x export (no goal)\n", folderAdd / (kBackups - 1),
                folderAdd / (kBackups - 1) / exportAll);
    std::printf("each unchanged backup: %.4f s, %.3f x export   goal <= %.1f: %s\n", knownAdd / kBackups,
                knownAdd / kBackups / exportAll, kKnownAddGoal,
                Verdict(knownAdd / kBackups <= kKnownAddGoal * exportAll));
    std::printf("archive %.1f MB, database %.1f MB: %.2f x   goal <= %.1f: %s\n", archiveMb, databaseMb,
                archiveMb / databaseMb, kSizeGoal, Verdict(archiveMb <= kSizeGoal * databaseMb));
    return 0;
}
