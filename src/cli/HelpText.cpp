#include "CommandLine.h"

#include "ArchiveCommand.h"
#include "ExportFormats.h"
#include "FromArchive.h"

#include <string>
#include <string_view>
#include <vector>

// What marvik-cli says of itself: the synopsis with a usage error, the whole help with --help. The formats' names
// and captions come from their table, so that a new format is told here without a word of this file changing.
namespace {

const char* const kSynopsis =
    "  marvik-cli list   [--db FILE] [--from PATH]... [--include-deleted] [--file-titles]\n"
    "  marvik-cli export [--db FILE] [--from PATH]... [--format FORMAT] [--template NAME|DIR] [--results DIR]\n"
    "                    [--separator TEXT] [--no-bom] [--override | --new-only]\n"
    "                    [--include-deleted] [--file-titles]\n"
    "                    (VOLUME_ID... | --all | --stdout VOLUME_ID)\n"
    "  marvik-cli repair [--db FILE] [--include-deleted] [--file-titles] VOLUME_ID\n"
    "  marvik-cli backup [--db FILE] [--to DIR] [--keep N] [--archive FILE]\n"
    "  marvik-cli stats  [--db FILE] [--from PATH]... [--backups DIR | --no-backups]\n"
    "                    [--format text|json|csv]\n"
    "  marvik-cli templates\n"
    "  marvik-cli archive add [--archive FILE] PATH...\n"
    "  marvik-cli archive status [--archive FILE] [--format text|json]\n"
    "  marvik-cli sync   [--db FILE] [--from PATH]... --to FOLDER [--template NAME|DIR] [--retemplate]\n"
    "                    [--restore] [--dry-run] [--diff] [--file-titles]\n"
    "  marvik-cli words  [--db FILE] [--format text|csv|json|anki]\n"
    "  (list, export, sync, stats: --from-archive [--live-only] [--archive FILE] in place of --db)\n";

// The captions of the formats that have a property, as a sentence's subject: "Markdown, JSON and CSV".
std::string CaptionsWhere(bool ExportFormatRow::*property) {
    std::vector<std::string_view> captions;
    for (const ExportFormatRow& format : ExportFormats())
        if (format.*property)
            captions.push_back(format.caption);
    std::string joined;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (i > 0)
            joined += i + 1 == captions.size() ? " and " : ", ";
        joined += captions[i];
    }
    return joined;
}

// The text as lines of at most 100 columns, each after indent spaces and ending in a line end: for the sentences made
// of the table of formats, which grows.
std::string Wrapped(const std::string& text, std::size_t indent) {
    constexpr std::size_t kWidth = 100;
    std::string lines, line;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view word(text.data() + start, end - start);
        if (!line.empty() && indent + line.size() + 1 + word.size() > kWidth) {
            lines.append(indent, ' ').append(line) += '\n';
            line.clear();
        }
        (line.empty() ? line : line.append(" ")).append(word);
        start = end + 1;
    }
    if (!line.empty())
        lines.append(indent, ' ').append(line) += '\n';
    return lines;
}

// "text (the default), markdown, json or csv"
std::string FormatChoices() {
    std::string names(ExportFormats().front().name);
    return names + " (the default)" + ExportFormatNames().substr(names.size());
}

} // namespace

std::string UsageText() {
    return "Usage:\n" + std::string(kSynopsis) + "Run \"marvik-cli --help\" for details.\n";
}

std::string HelpText() {
    return "marvik-cli: lists the books of a Kobo reader's database that carry highlights or notes, writes\n"
           "them to text files, and keeps backups of the database.\n"
           "\n"
           "Usage:\n" +
           std::string(kSynopsis) +
           "  marvik-cli --help\n"
           "  marvik-cli --version\n"
           "\n"
           "Commands:\n"
           "  list    Prints one line per volume (book file) that carries bookmarks, in the order of the\n"
           "          \"file names\" tab: the volume id, a TAB, the book title, a TAB, the author. Control\n"
           "          characters in them (line breaks, TABs, terminal escapes) are shown as spaces.\n"
           "  export  Writes the highlights and notes of each given volume, in reading order and grouped by\n"
           "          chapter, to DIR/NAME.annotations_0000.txt (the first free number), where NAME is the\n"
           "          volume id after its last \"/\". Prints the path of each file written, one per line.\n"
           "          An id that names no volume of the database is reported as \"not found: ID\" and gets\n"
           "          no file; the other ids are still exported.\n" +
           Wrapped(CaptionsWhere(&ExportFormatRow::namedByTitle) +
                       " files are named \"Title - Author\" where the title is known.",
                   10) +
           "  repair  Prints the UPDATE statements that repair the content ids of the volume's bookmarks, one\n"
           "          per line. Nothing is run.\n"
           "  backup  Copies the database, with what a pending -wal holds, into DIR as one self-contained file\n"
           "          KoboReader-YYYY-MM-DD-HHMMSS.sqlite, checked before it is kept, and prints its path. When\n"
           "          the database equals the newest backup, that backup's path is printed and a remark goes to\n"
           "          standard error instead of a second copy. The reader's folder is never changed.\n"
           "  stats   Prints reading statistics: per book the time read, sessions, pages turned, progress,\n"
           "          status, first and last read and highlights; per day the time read, sessions and books.\n"
           "          Reads the database and every backup in the backups folder; a session that several\n"
           "          backups hold counts once. Rows that cannot be used are counted, never an error.\n"
           "  templates\n"
           "          Lists the template sets that export --template takes, one a line: the name, a TAB, and\n"
           "          \"built in\" or the set's folder. The user's sets are the folders of\n"
           "          $XDG_CONFIG_HOME/marvik/templates (~/.config/marvik/templates); one named like a\n"
           "          built-in set stands in its place. A set that cannot be used is named on standard error.\n" +
           ArchiveHelpText() +
           "  sync    Keeps one Markdown note per book that carries highlights in FOLDER, which must exist:\n"
           "          a book's first sync writes its note, named by the template set's name template; later\n"
           "          ones add new highlights in reading order, update changed ones, mark deleted ones and\n"
           "          update the set's front matter, leaving everything else in the note as it is. A note is\n"
           "          found by its book's marvik-volume-id in its front matter, wherever it is in FOLDER. A\n"
           "          block the user edited is kept. Prints the path of each note written, one per line, and\n"
           "          \"N notes: A highlights added, U updated, D marked deleted, K kept as you edited them\"\n"
           "          on standard error. A book's first note is rendered with the set --template names (default\n"
           "          \"markdown\"); a note keeps the set it was written with, unless --retemplate.\n"
           "  words   Prints the words saved from the reader's dictionaries, each once, oldest first: the\n"
           "          word, the dictionary's language, the book's title, when it was saved and, where the\n"
           "          database is the reader's own, the sentence of the book's EPUB that holds it. A word longer\n"
           "          than 100 characters is cut there (and named on standard error). anki writes Anki's\n"
           "          text import: a card a word, the book's title on the back and as the card's tag.\n"
           "\n"
           "Options:\n"
           "  --db FILE         The database to read. Default: .kobo/KoboReader.sqlite on the first mounted\n"
           "                    volume labelled \"KOBOeReader\" when that file exists, else KoboReader.sqlite\n"
           "                    in the current folder.\n"
           "  --from PATH       list, export, sync: read other readers' highlights instead of the reader's\n"
           "                    database; give it once for each: a Kobo database (KoboReader.sqlite, a backup,\n"
           "                    the desktop app's Kobo.sqlite), a KOReader sidecar (BOOK.sdr/metadata.epub.lua)\n"
           "                    or a folder with sidecars below it, a Kindle's My Clippings.txt or its root, or\n"
           "                    a mounted reader's root (each of these it holds). With --db, that database too.\n"
           "                    A book that several of them hold (the same ISBN, or title and author) is one\n"
           "                    volume; JSON names each highlight's source. stats: only a Kobo database keeps\n"
           "                    reading sessions; the first among them is read, the others are named.\n"
           "  --format FORMAT   " +
           Wrapped("export: " + FormatChoices() + ". " + CaptionsWhere(&ExportFormatRow::wholeRecords) +
                       " carry the whole record of each highlight: type, colour, dates, position in the book.",
                   20)
               .substr(20) +
           "                    With --all, html also writes DIR/index.html, linking every book's page.\n"
           "                    clippings writes one file, DIR/My Clippings_0000.txt (My Clippings.txt with\n"
           "                    --override), holding every book asked for, as a Kindle writes it; locations\n"
           "                    are numbers in reading order. A run of ten \"=\" in a text, which would end\n"
           "                    the entry, gets a zero-width space after its ninth.\n"
           "                    stats: text (the default), json or csv. archive status: text or json.\n"
           "                    words: text (the default), csv, json or anki.\n"
           "  --template SET    export: render Markdown files with a template set: a name that templates\n"
           "                    lists, or a set's folder (a path holding \"/\"). Every file of the set is\n"
           "                    checked before anything is written. Implies --format markdown.\n"
           "                    sync: the set new notes are rendered with. Default: markdown\n"
           "  --restore         sync: add again the blocks the user removed from a note; without it, a\n"
           "                    block a note received once is not added again (a dry run names them).\n"
           "  --retemplate      sync: render the notes that exist with the --template set too: the blocks\n"
           "                    the user did not edit change to it, the others stay as they are.\n"
           "  --stdout          Write the one volume's export to standard output instead of a file.\n"
           "  --results DIR     Folder for the written files, created if missing. Default: results\n"
           "  --separator TEXT  Written between a highlight and its note. Default: one TAB.\n"
           "  --no-bom          Leave out the UTF-8 byte-order mark at the start of each file.\n"
           "  --override        Write DIR/NAME.annotations.txt, replacing a file of that name.\n"
           "  --new-only        Write only the highlights that are new or changed since they were last exported\n"
           "                    into DIR in the same format (every export records what it wrote in\n"
           "                    DIR/.marvik-ledger.json); a book with nothing new gets no file.\n"
           "                    \"N new highlights in M books\" then goes to standard error.\n"
           "  --all             Export every volume that list prints, in that order.\n"
           "  --include-deleted Count highlights and notes that were deleted on the reader (its database keeps\n"
           "                    them, marked hidden); by default they are left out everywhere.\n"
           "  --file-titles     For kepub books, head each chapter with its file's path, as the database\n"
           "                    names it, instead of the chapter's title from the table of contents.\n"
           "  --to DIR          Folder for backups, created if missing. Default: backups in the user's data\n"
           "                    folder ($XDG_DATA_HOME/marvik, ~/.local/share/marvik).\n"
           "                    sync: the notes folder, which is not created.\n"
           "  --dry-run         sync: write nothing; print each note that would change and what would happen.\n"
           "  --diff            sync: print the unified diff of each note written (or, with --dry-run, that\n"
           "                    would be).\n"
           "  --keep N          Keep the newest N backups in DIR, removing older ones. Default: 30\n"
           "  --backups DIR     stats: the folder of backups read with the database (an error when it is\n"
           "                    not there or no folder). Default: the folder backup writes to.\n"
           "  --no-backups      stats: read the database alone.\n"
           "  --archive FILE    archive, backup, --from-archive: the archive. Default: archive.sqlite in the\n"
           "                    user's data folder. backup adds each backup it makes to it.\n" +
           FromArchiveHelpText() +
           "  --                Every argument after it is a volume id, even one beginning with \"-\".\n"
           "  -h, --help        Show this text.\n"
           "  --version         Show the program's version.\n"
           "\n"
           "Exit status:\n"
           "  0  success\n"
           "  1  an error: no database file, a database or file error, or an export or a book's sync that\n"
           "     went wrong\n"
           "  2  a usage error: unknown command or option, missing argument\n"
           "  128+N  sync: stopped between two books by signal N (Ctrl+C: 130); the notes written stay\n";
}
