// marvik-bench: index loading and the export of a 10,000-bookmark book on a large generated library, each against
// the least work that reading the same rows takes, and the process's peak memory; then that book ordered with one
// crafted 100,000-digit run, with its own peak memory; then whole processes on the same file: marvik-cli and the
// window, against the sqlite3 shell and a Python script. The lines marked "diagnostic" time sub-steps, to show where
// the time goes.
#include "AllocationCount.h"
#include "BookmarkOrder.h"
#include "Floors.h"
#include "HighlightSearch.h"
#include "LargeLibrary.h"
#include "MillionBookmarks.h"
#include "ReaderConnection.h"
#include "ReaderDatabase.h"
#include "ReaderLibrary.h"
#include "SampleBooks.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"
#include "TempFolder.h"
#include "TextStore.h"
#include "VolumeReader.h"
#include "WholeCommands.h"
#include "WholeRecordBooks.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

constexpr double kLoadGoal = 1.5;
constexpr double kExportGoal = 1.3;
constexpr double kMemoryGoalMb = 100.0;

// Keeps results alive so that no timed work is optimised away.
volatile std::uint64_t g_sink = 0;

void Keep(std::uint64_t value) {
    g_sink = g_sink + value;
}

double CpuSeconds();

// The least processor time of the runs that BestSeconds timed last.
double g_bestCpu = 0;

template <class Work> double BestSeconds(int runs, Work&& work) {
    double best = std::numeric_limits<double>::infinity();
    g_bestCpu = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        g_bestCpu = std::min(g_bestCpu, CpuSeconds() - cpu);
    }
    return best;
}

// Processor time of the whole process so far, user and system, its threads included.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// What one run of work costs beyond its time: processor time, statements begun and C++ allocations.
struct WorkCost {
    double cpuSeconds = 0;
    std::uint64_t statements = 0;
    Allocations allocations;
};

template <class Work> WorkCost CostOf(Work&& work) {
    const double cpu = CpuSeconds();
    const std::uint64_t statements = StatementsSoFar();
    const Allocations allocations = AllocationsSoFar();
    work();
    const Allocations after = AllocationsSoFar();
    return {CpuSeconds() - cpu,
            StatementsSoFar() - statements,
            {after.count - allocations.count, after.bytes - allocations.bytes}};
}

void CostLines(const WorkCost& cost, std::size_t bookmarks) {
    const auto each = [bookmarks](std::uint64_t value) {
        return static_cast<double>(value) / static_cast<double>(bookmarks);
    };
    std::printf("  %-58s %8llu\n", "diagnostic: SQL statements run", static_cast<unsigned long long>(cost.statements));
    std::printf("  %-58s %8.1f (%.0f bytes)\n", "diagnostic: C++ allocations per bookmark",
                each(cost.allocations.count), each(cost.allocations.bytes));
}

double PeakMemoryMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void Line(const std::string& what, double seconds) {
    std::printf("  %-58s %8.1f ms\n", what.c_str(), seconds * 1000.0);
}

// The same comparison in processor time, which a machine busy with other work disturbs less than the wall's.
void CpuVerdict(double cpu, double floorCpu) {
    std::printf("  %-58s %8.1f ms, floor %.1f ms: %.2f x\n", "processor time, best of the runs", cpu * 1000.0,
                floorCpu * 1000.0, cpu / floorCpu);
}

bool Verdict(double value, double floor, double goal) {
    const double ratio = value / floor;
    const bool met = ratio <= goal;
    std::printf("  %-58s %8.2f x   goal <= %.1f x: %s\n", "ratio to floor", ratio, goal, met ? "met" : "MISSED");
    return met;
}

const char* const kBookmarkQuery = "SELECT BookmarkID, ContentID, StartContainerPath, StartOffset, Text, Annotation "
                                   "FROM Bookmark WHERE VolumeID=?";

// The big book's bookmark locations as the export reads them, each with its part's place in the book; their texts
// are kept in texts.
struct BookLocations {
    std::shared_ptr<TextStore> texts = std::make_shared<TextStore>();
    std::vector<BookmarkLocation> places;
};

BookLocations Locations(const std::filesystem::path& database, const std::string& volumeId) {
    TSQLiteDatabase db(database.string());
    BookLocations book;
    std::unordered_map<std::string, std::string_view> partIndex;
    TSQLiteTable parts = db.GetTable("SELECT ContentID, VolumeIndex FROM content WHERE BookID=?", {volumeId});
    for (; !parts.Eof(); parts.Next())
        partIndex[parts.FieldAsString(0)] = book.texts->Keep(parts.FieldAsString(1));
    TSQLiteTable rows = db.GetTable(kBookmarkQuery, {volumeId});
    for (; !rows.Eof(); rows.Next()) {
        TextStore& texts = *book.texts;
        book.places.push_back({texts.Keep(rows.FieldAsString(0)), texts.Keep(rows.FieldAsString(1)),
                               texts.Keep(rows.FieldAsString(2)), texts.Keep(rows.FieldAsString(3)),
                               partIndex[rows.FieldAsString(1)]});
    }
    return book;
}

// The big book's bookmarks with one path holding a 100,000-digit run, which widens that run in every key of the
// book. Ordered in a child process, so that its peak memory is its own and the figures above keep theirs.
void OrderWithOneHugeRun(BookLocations book, const TextOrder& order, int runs) {
    const std::string hugePath = "span#kobo." + std::string(100000, '7') + ".1";
    book.places[book.places.size() / 2].startContainerPath = hugePath;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const double before = PeakMemoryMb();
        SilentProgress progress;
        Line("ReadingOrder, one 100,000-digit run in " + std::to_string(book.places.size()) + " bookmarks",
             BestSeconds(runs, [&] { Keep(ReadingOrder(book.places, order, progress).size()); }));
        std::printf("  %-58s %8.1f MB (%.1f MB at its start)\n", "peak memory of that step (ru_maxrss)", PeakMemoryMb(),
                    before);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (child < 0 || !WIFEXITED(status))
        std::printf("  the step with the 100,000-digit run failed\n");
}

// The library tab's reading on top of the index, against the same columns read bare, and its search's folding of
// every text.
void OverviewFigures(const std::filesystem::path& database, int runs) {
    SilentProgress progress;
    ReaderLibrary library;
    library.LoadDatabase(database, progress);
    std::optional<LibraryOverview> overview;
    const double reading = BestSeconds(runs, [&] { overview = library.ReadOverview({}, progress); });
    const double readingCpu = g_bestCpu;
    const double floor = BestSeconds(runs, [&] { Keep(OverviewFloor(database)); });
    std::printf("\nthe library tab's overview: %zu highlights\n", overview->highlights.size());
    Line("ReaderLibrary::ReadOverview", reading);
    Line("floor: bare sqlite3, the same columns of both tables", floor);
    std::printf("  %-58s %8.2f x\n", "ratio to floor", reading / floor);
    std::printf("  %-58s %8.2f x\n", "processor time, to the floor's", readingCpu / g_bestCpu);
    Line("HighlightSearch, folding every text", BestSeconds(runs, [&] { HighlightSearch search(*overview); }));
}

int Usage() {
    std::fprintf(stderr,
                 "usage: marvik-bench [--runs N] [--commands-only | --in-process-only | --book-only | --overview-only] "
                 "  (N >= 1, default 5)\n"
                 "       marvik-bench --million   (the peak memory of exporting one book of a million bookmarks)\n"
                 "       marvik-bench --generate FILE   (writes the large library to FILE, for timing commands)\n"
                 "       marvik-bench --generate-huge FILE   (488,000 bookmarks, 80,000 in one book, for the window)\n"
                 "       marvik-bench --generate-rich FOLDER   (writes the tests' richest libraries into FOLDER, for "
                 "comparing outputs)\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    InstallStatementCount();
    int runs = 5;
    bool commandsOnly = false;
    bool inProcessOnly = false;
    bool bookOnly = false;     // the big book's text export alone, for a profiler
    bool overviewOnly = false; // the library tab's reading alone, for a profiler
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--commands-only") == 0) {
            commandsOnly = true;
        } else if (std::strcmp(argv[i], "--in-process-only") == 0) {
            inProcessOnly = true;
        } else if (std::strcmp(argv[i], "--overview-only") == 0) {
            overviewOnly = true;
        } else if (std::strcmp(argv[i], "--book-only") == 0) {
            bookOnly = true;
        } else if (std::strcmp(argv[i], "--million") == 0 && argc == 2) {
            const TempFolder folder;
            const bool met = MillionBookmarkFigures(folder.Path());
            std::printf("%s\n", met ? "all goals met" : "goals missed");
            return 0;
        } else if (std::strcmp(argv[i], "--generate") == 0 && i + 1 == argc - 1) {
            GenerateLibrary(argv[i + 1], LibraryShape());
            return 0;
        } else if (std::strcmp(argv[i], "--generate-huge") == 0 && i + 1 == argc - 1) {
            // Eight times the bookmarks, one book of 80,000: the window's stalls on a library of a heavy reader.
            GenerateLibrary(argv[i + 1], LibraryShape{.bookmarks = 488000, .bigBookBookmarks = 80000});
            return 0;
        } else if (std::strcmp(argv[i], "--generate-rich") == 0 && i + 1 == argc - 1) {
            const std::filesystem::path folder = argv[i + 1];
            std::filesystem::create_directories(folder);
            fixture::ReaderDatabase records(folder / "records.sqlite");
            fixture::AddWholeRecordLibrary(records);
            // Collections (one named like a formula, one like markup), a rating and saved words, one of them far too
            // long: what every format must keep in bounds and escaped.
            fixture::AddRichBookShelves(records);
            records.AddSavedWord({"Fernweh", fixture::records::kRich, "-de", "2024-11-19T10:00:00Z"});
            records.AddSavedWord({"serendipity", fixture::records::kStore, {}, "2024-11-18T09:00:00Z"});
            records.AddSavedWord({std::string(10000, 'x'), fixture::records::kStore, {}, "2024-11-20T11:00:00Z"});
            fixture::ReaderDatabase current(folder / "current.sqlite");
            fixture::AddCurrentFirmwareLibrary(current);
            fixture::AddWinterVoyage(current, "/mnt/onboard/Some Author/A Winter Voyage.epub");
            return 0;
        } else {
            return Usage();
        }
    }
    if (runs < 1)
        return Usage();

    const TempFolder folder;
    const std::filesystem::path database = folder / "KoboReader.sqlite";
    const LibraryShape shape;
    GeneratedLibrary generated;
    const double generating = BestSeconds(1, [&] { generated = GenerateLibrary(database, shape); });
    std::printf("marvik-bench: %zu books, %zu content rows, %zu bookmarks (%zu in one book)\n", shape.books,
                shape.contentRows, shape.bookmarks, shape.bigBookBookmarks);
    std::printf("database %.1f MB, generated in %.1f s; locale \"%s\"; best of %d runs\n",
                static_cast<double>(std::filesystem::file_size(database)) / 1e6, generating,
                TextOrder::UserLocaleId().c_str(), runs);

    if (commandsOnly) {
        const bool met = WholeCommandFigures(database, folder.Path(), runs);
        std::printf("%s\n", met ? "all goals met" : "goals missed");
        return 0;
    }

    SilentProgress progress;
    bool allMet = true;

    // (a) Index loading.
    std::size_t listed = generated.listedVolumes;
    if (!bookOnly) {
        const double load = BestSeconds(runs, [&] {
            ReaderLibrary library;
            library.LoadDatabase(database, progress);
            listed = library.Index().Volumes.Count();
        });
        if (listed != generated.listedVolumes) {
            std::fprintf(stderr, "marvik-bench: %zu volumes listed, %zu expected\n", listed, generated.listedVolumes);
            return 1;
        }
        const double loadCpu = g_bestCpu;
        const double loadFloor = BestSeconds(runs, [&] { Keep(LoadFloor(database)); });
        const double loadFloorCpu = g_bestCpu;
        std::printf("\nindex loading: %zu volumes listed\n", listed);
        Line("ReaderLibrary::LoadDatabase", load);
        Line("floor: bare sqlite3, 2 queries", loadFloor);
        allMet = Verdict(load, loadFloor, kLoadGoal) && allMet;
        CpuVerdict(loadCpu, loadFloorCpu);
    }

    if (overviewOnly) {
        OverviewFigures(database, runs);
        return 0;
    }

    // (b) Export of the big book.
    ReaderLibrary library;
    library.LoadDatabase(database, progress);
    const std::filesystem::path results = folder / "results";
    std::filesystem::create_directory(results);
    const std::filesystem::path target = AnnotationTargetPath(results, generated.bigVolumeId);
    const ExportOptions options{.setBom = true, .overrideExisting = true};
    ExportResult written;
    const double exporting = BestSeconds(
        runs, [&] { written = library.ExtractAnnotations(generated.bigVolumeId, target, options, progress); });
    const double exportingCpu = g_bestCpu;
    if (written.outcome != ExportOutcome::Written) {
        std::fprintf(stderr, "marvik-bench: the export wrote nothing\n");
        return 1;
    }
    const std::size_t fileSize = std::filesystem::file_size(written.file);
    const double exportFloor =
        BestSeconds(runs, [&] { Keep(ExportFloor(database, generated.bigVolumeId, folder / "floor.txt", fileSize)); });
    const double exportFloorCpu = g_bestCpu;
    std::printf("\nexport of the big book: %.2f MB written\n", static_cast<double>(fileSize) / 1e6);
    Line("ReaderLibrary::ExtractAnnotations", exporting);
    Line("floor: bare sqlite3, 2 queries + writing the same bytes", exportFloor);
    allMet = Verdict(exporting, exportFloor, kExportGoal) && allMet;
    CpuVerdict(exportingCpu, exportFloorCpu);
    CostLines(CostOf([&] { library.ExtractAnnotations(generated.bigVolumeId, target, options, progress); }),
              written.highlights);

    const double lines = BestSeconds(runs, [&] {
        std::unique_ptr<ReaderConnection> reader = OpenReaderDatabase(database, ReaderAccess::Read);
        Keep(ReadAnnotatedVolume(*reader, library.Index(), generated.bigVolumeId, options.reading, nullptr, progress)
                 .bookmarks.size());
    });
    Line("diagnostic: ReadAnnotatedVolume (all but the file)", lines);
    Line("diagnostic: the rest: numbering, BOM, writing, renaming", exporting - lines);
    const BookLocations locations = Locations(database, generated.bigVolumeId);
    Line("diagnostic: ReadingOrder of " + std::to_string(locations.places.size()) + " bookmarks",
         BestSeconds(runs,
                     [&] { Keep(ReadingOrder(locations.places, library.Index().Volumes.Order(), progress).size()); }));
    if (bookOnly)
        return 0;

    // The same book in the formats that read whole records, against the text export's time.
    for (const ExportFormatRow& row : ExportFormats()) {
        if (!row.wholeRecords)
            continue;
        constexpr double kFormatGoal = 2.0;
        const std::string name(row.caption);
        ExportOptions formatOptions = options;
        formatOptions.format = row.format;
        const std::filesystem::path formatTarget = library.ExportTarget(generated.bigVolumeId, results, formatOptions);
        ExportResult formatFile;
        const double formatTime = BestSeconds(runs, [&] {
            formatFile = library.ExtractAnnotations(generated.bigVolumeId, formatTarget, formatOptions, progress);
        });
        if (formatFile.outcome != ExportOutcome::Written) {
            std::fprintf(stderr, "marvik-bench: the %s export wrote nothing\n", name.c_str());
            return 1;
        }
        Line(std::string("ReaderLibrary::ExtractAnnotations, ") + name + ", " +
                 std::to_string(std::filesystem::file_size(formatFile.file) / 1000) + " kB",
             formatTime);
        const bool met = formatTime / exporting <= kFormatGoal;
        std::printf("  %-58s %8.2f x   goal <= %.1f x: %s\n", "ratio to the text export", formatTime / exporting,
                    kFormatGoal, met ? "met" : "MISSED");
        allMet = met && allMet;
    }

    // (c) Every book, as export --all writes them, in this process: what it costs besides the time of a process.
    {
        const std::filesystem::path allResults = folder / "all-results";
        std::filesystem::create_directory(allResults);
        ExportAllResult all =
            library.ExtractAllAnnotations(library.Index().Volumes.Entries(), allResults, options, progress);
        double wall = 0;
        const WorkCost cost = CostOf([&] {
            wall = BestSeconds(1, [&] {
                all = library.ExtractAllAnnotations(library.Index().Volumes.Entries(), allResults, options, progress);
            });
        });
        std::printf("\nexport of every book, in process: %zu files, %zu highlights, replacing the files of a run "
                    "before\n",
                    all.written.size(), all.highlights);
        Line("ReaderLibrary::ExtractAllAnnotations", wall);
        Line("diagnostic: its processor time, user and system", cost.cpuSeconds);
        CostLines(cost, all.highlights);
    }

    const double peak = PeakMemoryMb();
    std::printf("\ncrafted path in the big book:\n");
    OrderWithOneHugeRun(locations, library.Index().Volumes.Order(), runs);
    const bool memoryMet = peak < kMemoryGoalMb;
    std::printf("\npeak memory (ru_maxrss): %.1f MB   goal < %.0f MB: %s\n", peak, kMemoryGoalMb,
                memoryMet ? "met" : "MISSED");
    // After the peak: the overview of every highlight, kept while it is timed, is the window's memory, not an export's.
    OverviewFigures(database, runs);
    if (!inProcessOnly)
        allMet = WholeCommandFigures(database, folder.Path(), runs) && allMet;
    std::printf("%s\n", allMet && memoryMet ? "all goals met" : "goals missed");
    return 0;
}
