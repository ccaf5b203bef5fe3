// marvik-clippings-bench: a Kindle's clippings file of 200 MB (2,000 books, highlights with notes and bookmarks in
// the languages Kindles write), listed and one book exported by marvik-cli --from, with each process's own memory:
// the file is streamed, so neither grows with the file. Not a test: run build/<preset>/bin/marvik-clippings-bench by
// hand.
#include "TempFolder.h"
#include "TimedChild.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kFileBytes = 200u * 1024 * 1024;
constexpr int kBooks = 2000;
constexpr double kMemoryGoalMb = 50.0;

const char* const kMetas[] = {
    "- Your Highlight on page %d | Location %d-%d | Added on Friday, January 1, 2024 10:30:45 AM",
    "- Ihre Markierung auf Seite %d | Position %d-%d | Hinzugef\xC3\xBCgt am Montag, 4. Januar 2021 09:15:00",
    "- Votre surlignement sur la page %d | emplacement %d-%d | Ajout\xC3\xA9 le lundi 4 janvier 2021 09:15:00",
};

std::string BookLine(int book) {
    return "Book " + std::to_string(book) + " of the Bench (Author " + std::to_string(book % 97) + ")";
}

// Entries go round the books, as a reader's clippings do over the years; every tenth is a note on the highlight
// before it.
void WriteClippings(const fs::path& file) {
    std::ofstream out(file, std::ios::binary);
    out << "\xEF\xBB\xBF";
    const std::string text(300, 'x');
    char meta[256];
    for (long entry = 0; static_cast<std::uintmax_t>(out.tellp()) < kFileBytes; ++entry) {
        const int book = static_cast<int>(entry % kBooks);
        const int location = static_cast<int>(entry / kBooks) * 20 + 10;
        std::snprintf(meta, sizeof meta, kMetas[entry % 3], location / 15 + 1, location, location + 3);
        out << BookLine(book) << "\r\n" << meta << "\r\n\r\n" << text << ' ' << entry << "\r\n==========\r\n";
        if (entry % 10 == 0)
            out << BookLine(book) << "\r\n- Your Note on Location " << location + 3
                << " | Added on Friday, January 1, 2024 10:31:00 AM\r\n\r\nA note.\r\n==========\r\n";
    }
}

ChildFigure Timed(const std::vector<std::string>& arguments, const fs::path& folder, const char* name) {
    std::vector<std::string> argv = {MARVIK_CLI};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ChildFigure figure = RunTimed(argv, folder, folder / (std::string(name) + ".out"));
    std::printf("%-44s %8.3f s   own memory (RssAnon) %6.1f MB   peak RSS %6.1f MB\n", name, figure.seconds,
                figure.anonPeakMb, figure.peakMb);
    return figure;
}

} // namespace

int main() {
    const TempFolder folder;
    const fs::path clippings = folder / "My Clippings.txt";
    WriteClippings(clippings);
    std::printf("clippings file: %.0f MB, %d books\n", static_cast<double>(fs::file_size(clippings)) / 1048576.0,
                kBooks);
    const ChildFigure list = Timed({"list", "--from", clippings.string()}, folder.Path(), "list --from");
    const ChildFigure book =
        Timed({"export", "--from", clippings.string(), "--format", "json", "--stdout", BookLine(7)}, folder.Path(),
              "export --from --stdout (one book, json)");
    const bool met = list.anonPeakMb < kMemoryGoalMb && book.anonPeakMb < kMemoryGoalMb;
    std::printf("own memory < %.0f MB whatever the file's size: %s\n", kMemoryGoalMb, met ? "met" : "MISSED");
    return 0;
}
