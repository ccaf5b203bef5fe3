#pragma once

#include "DatabaseBackup.h"
#include "ExportOptions.h"
#include "SavedWordsFormats.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Exit statuses of marvik-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

enum class Command { Help, List, Export, Repair, Backup, Stats, Templates, Sync, Archive, Words };

// What `archive` does: add databases to the archive, or tell what it holds.
enum class ArchiveAction { Add, Status };

// How `stats` prints: two readable tables, one JSON document, or one CSV table.
enum class StatsFormat { Text, Json, Csv };

// What one run of marvik-cli was asked to do.
struct CommandLine {
    Command command = Command::Help;
    std::optional<std::filesystem::path> database; // --db; unset: look for the reader, then the current folder
    // --from, each time given: other readers' files (and Kobo databases) read as one library instead of the reader
    std::vector<std::filesystem::path> fromPaths;
    std::filesystem::path resultsFolder = "results";
    ExportOptions options; // the separator as given, in UTF-8; reading options for every command
    bool all = false;
    bool toStandardOutput = false; // --stdout: the one volume's export goes to standard output, not to a file
    std::vector<std::string> volumeIds;
    std::optional<std::filesystem::path> backupFolder; // --to; unset: backups/ in the user's data folder
    std::size_t backupsKept = kDefaultBackupsKept;     // --keep
    // stats --backups; unset: backups/ in the user's data folder, unless --no-backups
    std::optional<std::filesystem::path> statsBackups;
    bool withBackups = true;
    StatsFormat statsFormat = StatsFormat::Text;
    WordsFormat wordsFormat = WordsFormat::Text; // words --format
    // export --template: a template set's name or folder, for Markdown files; read and checked before anything else.
    std::optional<std::string> templateSet;
    // sync: the notes folder (--to), and whether to write nothing (--dry-run) and show each note's diff (--diff).
    std::filesystem::path notesFolder;
    bool dryRun = false;
    bool showDiff = false;
    // archive add|status, its PATHs, --format text|json for status; --archive for archive and backup (unset: the
    // default archive in the user's data folder).
    ArchiveAction archiveAction = ArchiveAction::Status;
    std::vector<std::filesystem::path> archivePaths;
    std::optional<std::string> archiveFormat; // text or json
    bool archiveJson = false;
    std::optional<std::filesystem::path> archiveFile;
    // list, export, sync, stats: read the archive (--archive, else the default one) in place of a reader database, its
    // gone highlights left out with --live-only.
    bool fromArchive = false;
    bool liveOnly = false;
    bool retemplate = false; // sync: existing notes take the --template set too
    bool restore = false;    // sync: blocks the user removed come back
};

// The arguments do not form a command; the message says what is wrong.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Raises EUsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The synopsis shown with a usage error.
std::string UsageText();
// The full help: commands, options, defaults and exit statuses.
std::string HelpText();
