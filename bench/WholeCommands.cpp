#include "WholeCommands.h"

#include "TimedChild.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kListGoal = 1.1;         // x the sqlite3 shell reading the same rows
constexpr double kExportAllGoal = 1.0;    // x the Python script, and below it
constexpr double kWindowLoadGoal = 1.5;   // x marvik-cli list
constexpr double kWindowExportGoal = 1.2; // x marvik-cli export --all
constexpr double kKeystrokeGoalMs = 16;
constexpr double kSearchKeystrokeGoalMs = 50;   // as-you-type over every highlight of the library
constexpr double kPaintsGoal = 10;              // a second, during loading and export
constexpr double kCloseGoalMs = 100;            // from the request to the window hearing it, during the work
constexpr double kMemoryGoalMb = 100;           // any one command
constexpr double kWindowLoadMemoryGoalMb = 150; // the window's own, loading the library into the library tab
constexpr double kSyncGoal = 1.2;               // a sync with nothing new, x marvik-cli export --all --format markdown

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "name value" lines of marvik-window-bench.
std::map<std::string, double> Figures(const std::filesystem::path& file) {
    std::map<std::string, double> figures;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        double value = 0;
        if (words >> name >> value)
            figures[name] = value;
    }
    return figures;
}

struct Series {
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    double peakMb = 0;
    double anonPeakMb = 0;
    void Add(const ChildFigure& figure) {
        seconds.push_back(figure.seconds);
        cpuSeconds.push_back(figure.cpuSeconds);
        peakMb = std::max(peakMb, figure.peakMb);
        anonPeakMb = std::max(anonPeakMb, figure.anonPeakMb);
    }
    double Median() const { return ::Median(seconds); }
    double MedianCpu() const { return ::Median(cpuSeconds); }
};

bool g_allMet = true;

void Time(const char* what, const Series& series) {
    std::printf("  %-58s %8.1f ms  %7.1f ms CPU  %5.1f MB  %5.1f MB own\n", what, series.Median() * 1000.0,
                series.MedianCpu() * 1000.0, series.peakMb, series.anonPeakMb);
}

// The processor time beside the wall time: the measure that other work on the machine disturbs least.
void CpuRatio(const Series& command, const Series& floor) {
    std::printf("  %-58s %8.2f x\n", "  processor time, command to floor", command.MedianCpu() / floor.MedianCpu());
}

void Check(const char* what, double value, double goal, bool atMost, const char* unit) {
    const bool met = atMost ? value <= goal : value >= goal;
    g_allMet = g_allMet && met;
    std::printf("  %-58s %8.2f %-3s goal %s %g %s: %s\n", what, value, unit, atMost ? "<=" : ">=", goal, unit,
                met ? "met" : "MISSED");
}

} // namespace

bool WholeCommandFigures(const std::filesystem::path& database, const std::filesystem::path& work, int rounds) {
    const std::filesystem::path bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::string cli = (bin / "marvik-cli").string();
    const std::string db = std::filesystem::absolute(database).string();
    const std::string script = std::string(MARVIK_BENCH_SOURCE_DIR) + "/export_floor.py";
    // The system's interpreter itself: a "python3" on the PATH may be a version manager's shell script, whose start
    // would be counted in the floor.
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    // The rows each of the three lists is made from, as marvik-cli list reads them.
    const std::string listRows = "SELECT VolumeID, StartContainerChildIndex, Hidden FROM Bookmark; "
                                 "SELECT BookID, BookTitle, ContentID, Attribution FROM content;";
    const std::filesystem::path out = work / "out.txt";
    Series list, shell, exportAll, pythonFloor, window, markdown, firstSync, keptSync, stats;
    std::map<std::string, std::vector<double>> windowFigures;
    // A notes folder every round finds synced already, and one every round begins empty.
    const std::filesystem::path synced = work / "notes-synced", fresh = work / "notes-fresh";
    const auto sync = [&](const std::filesystem::path& notes) {
        return RunTimed({cli, "sync", "--db", db, "--to", notes.string()}, work, out);
    };
    std::filesystem::remove_all(synced);
    std::filesystem::create_directories(synced);
    sync(synced);
    for (int round = 0; round < rounds; ++round) {
        shell.Add(RunTimed({"sqlite3", "-readonly", db, listRows}, work, out));
        list.Add(RunTimed({cli, "list", "--db", db}, work, out));
        pythonFloor.Add(RunTimed({python, script, db, (work / "floor-results").string()}, work, out));
        exportAll.Add(RunTimed(
            {cli, "export", "--db", db, "--all", "--override", "--results", (work / "results").string()}, work, out));
        window.Add(RunTimed({(bin / "marvik-window-bench").string(), db}, work, out));
        for (const auto& [name, value] : Figures(out))
            windowFigures[name].push_back(value);
        markdown.Add(RunTimed({cli, "export", "--db", db, "--all", "--override", "--format", "markdown", "--results",
                               (work / "markdown").string()},
                              work, out));
        std::filesystem::remove_all(fresh);
        std::filesystem::create_directories(fresh);
        firstSync.Add(sync(fresh));
        keptSync.Add(sync(synced));
        stats.Add(RunTimed({cli, "stats", "--db", db, "--no-backups"}, work, out));
    }
    const auto figure = [&](const std::string& name) {
        const auto found = windowFigures.find(name);
        return found == windowFigures.end() ? -1.0 : Median(found->second);
    };
    const auto worst = [&](const std::string& name, bool highest) {
        const std::vector<double>& values = windowFigures[name];
        return values.empty() ? -1.0
               : highest      ? *std::max_element(values.begin(), values.end())
                              : *std::min_element(values.begin(), values.end());
    };

    std::printf("\nwhole processes: medians of %d rounds, each running every command once, in turn\n", rounds);
    Time("marvik-cli list", list);
    Time("floor: sqlite3 shell reading the same rows", shell);
    Check("ratio", list.Median() / shell.Median(), kListGoal, true, "x");
    CpuRatio(list, shell);
    Time("marvik-cli export --all --override", exportAll);
    Time("floor: bench/export_floor.py (one join, one file per book)", pythonFloor);
    Check("ratio", exportAll.Median() / pythonFloor.Median(), kExportAllGoal, true, "x");
    CpuRatio(exportAll, pythonFloor);

    Time("marvik-cli export --all --override --format markdown", markdown);
    Time("marvik-cli sync, into an empty folder", firstSync);
    Time("marvik-cli sync, nothing new", keptSync);
    Check("ratio of the sync with nothing new to the Markdown export", keptSync.Median() / markdown.Median(), kSyncGoal,
          true, "x");
    Time("marvik-cli stats --no-backups", stats);

    std::printf("\nthe window (marvik-window-bench, offscreen), %.0f rows in the \"file names\" list\n",
                figure("rows"));
    const double load = figure("load_ms");
    const double exporting = figure("export_ms");
    std::printf("  %-58s %8.1f ms\n", "loading the library into the three lists and the library tab", load);
    Check("ratio to marvik-cli list", load / (list.Median() * 1000.0), kWindowLoadGoal, true, "x");
    const double listsRead = figure("lists_read_ms");
    const double tabRead = figure("library_tab_read_ms");
    std::printf("  %-58s %8.1f ms\n", "  of which the core's reading for the three lists", listsRead);
    std::printf("  %-58s %8.1f ms\n", "  and the library tab's reading on top of it", tabRead);
    std::printf("  %-58s %8.2f x\n", "  the load with the library tab vs the lists' alone",
                (listsRead + tabRead) / listsRead);
    Check("one keystroke in \"find\", no row matching (median)", figure("find_key_ms"), kKeystrokeGoalMs, true, "ms");
    std::printf("  %-58s %8.2f ms\n", "  its slowest of all rounds", worst("find_key_worst_ms", true));
    Check("one keystroke in the search of all highlights (median)", figure("search_key_ms"), kSearchKeystrokeGoalMs,
          true, "ms");
    std::printf("  %-58s %8.2f ms\n", "  its slowest of all rounds", worst("search_key_worst_ms", true));
    std::printf("  %-58s %8.1f ms\n", "export all books", exporting);
    Check("ratio to marvik-cli export --all", exporting / (exportAll.Median() * 1000.0), kWindowExportGoal, true, "x");
    Check("paints of status and progress during loading, fewest", worst("load_paints_per_s", false), kPaintsGoal, false,
          "/s");
    Check("paints of status and progress during export, fewest", worst("export_paints_per_s", false), kPaintsGoal,
          false, "/s");
    Check("a close request during loading heard after, at most", worst("load_close_ms", true), kCloseGoalMs, true,
          "ms");
    Check("a close request during export heard after, at most", worst("export_close_ms", true), kCloseGoalMs, true,
          "ms");
    Check("... heard while the work still ran (1 = every round)",
          std::min(worst("load_close_heard_during", false), worst("export_close_heard_during", false)), 1, false, "");
    Check("its own memory loading, and loading again, highest",
          std::max(worst("load_own_peak_mb", true), worst("load_again_own_peak_mb", true)), kWindowLoadMemoryGoalMb,
          true, "MB");
    std::printf("  %-58s %8.1f MB\n", "  exporting all books into a new folder, the library loaded",
                worst("export_own_peak_mb", true));
    std::printf("  %-58s %8.1f MB\n", "  replacing them, the library loaded", worst("export_again_own_peak_mb", true));

    std::printf("\npeak memory of each process, highest of the rounds: its own (anonymous, RssAnon sampled), and "
                "ru_maxrss\n");
    for (const auto& [name, series] : {std::pair{"marvik-cli list", &list},
                                       {"marvik-cli export --all", &exportAll},
                                       {"marvik-cli export --all --format markdown", &markdown},
                                       {"marvik-cli sync, into an empty folder", &firstSync},
                                       {"marvik-cli sync, nothing new", &keptSync},
                                       {"marvik-cli stats", &stats}}) {
        Check(name, series->anonPeakMb, kMemoryGoalMb, true, "MB");
        std::printf("  %-58s %8.2f MB\n", "  ru_maxrss, the mapped files and libraries with it", series->peakMb);
    }
    std::printf("  %-58s %8.2f MB\n", "marvik-window-bench (its goal is its load's, above)", window.anonPeakMb);
    std::printf("  %-58s %8.2f MB\n", "  ru_maxrss, the mapped files and libraries with it", window.peakMb);
    return g_allMet;
}
