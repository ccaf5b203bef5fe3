#include "CommandLine.h"

#include "ArchiveCommand.h"
#include "FromArchive.h"
#include "InkOverPageRenderer.h"
#include "NotesSync.h"
#include "TemplateSources.h"

#include <charconv>
#include <string_view>
#include <vector>

namespace {

ExportFormat FormatNamed(const std::string& name) {
    if (const ExportFormatRow* format = FindExportFormat(name))
        return format->format;
    throw EUsageError("unknown format \"" + name + "\": " + ExportFormatNames());
}

StatsFormat StatsFormatNamed(const std::string& name) {
    if (name == "text")
        return StatsFormat::Text;
    if (name == "json")
        return StatsFormat::Json;
    if (name == "csv")
        return StatsFormat::Csv;
    throw EUsageError("unknown format \"" + name + "\" for stats: text, json or csv");
}

WordsFormat WordsFormatFrom(const std::string& name) {
    if (const std::optional<WordsFormat> format = WordsFormatNamed(name))
        return *format;
    throw EUsageError("unknown format \"" + name + "\" for words: text, csv, json or anki");
}

bool IsHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h";
}

Command CommandNamed(const std::string& name) {
    if (name == "list")
        return Command::List;
    if (name == "export")
        return Command::Export;
    if (name == "repair")
        return Command::Repair;
    if (name == "backup")
        return Command::Backup;
    if (name == "stats")
        return Command::Stats;
    if (name == "templates")
        return Command::Templates;
    if (name == "sync")
        return Command::Sync;
    if (name == "archive")
        return Command::Archive;
    if (name == "words")
        return Command::Words;
    if (name == "help" || IsHelp(name))
        return Command::Help;
    throw EUsageError("unknown command \"" + name + "\"");
}

// Walks the arguments after the command; an option's value is the next argument or follows "=".
class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& arguments) : m_arguments(arguments) {}

    bool AtEnd() const { return m_next >= m_arguments.size(); }
    const std::string& Take() { return m_arguments[m_next++]; }

    std::string ValueOf(const std::string& option, const std::optional<std::string>& inlineValue) {
        if (inlineValue)
            return *inlineValue;
        if (AtEnd())
            throw EUsageError("option " + option + " needs a value");
        return Take();
    }

private:
    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 1;
};

bool Accepts(Command command, const std::string& option) {
    if (command == Command::Templates)
        return false;
    if (AcceptsFromArchive(command, option))
        return true;
    if (command == Command::Archive)
        return option == "--archive" || option == "--format";
    if (option == "--db")
        return true;
    if (option == "--from")
        return command == Command::List || command == Command::Export || command == Command::Sync ||
               command == Command::Stats;
    if (command == Command::Backup)
        return option == "--to" || option == "--keep" || option == "--archive";
    if (command == Command::Sync)
        return option == "--to" || option == "--template" || option == "--dry-run" || option == "--diff" ||
               option == "--file-titles" || option == "--retemplate" || option == "--restore";
    if (command == Command::Stats)
        return option == "--backups" || option == "--no-backups" || option == "--format";
    if (command == Command::Words)
        return option == "--format";
    if (option == "--include-deleted" || option == "--file-titles")
        return true;
    if (command != Command::Export)
        return false;
    return option == "--results" || option == "--separator" || option == "--no-bom" || option == "--override" ||
           option == "--format" || option == "--stdout" || option == "--all" || option == "--new-only" ||
           option == "--template";
}

bool TakesValue(const std::string& option) {
    return option == "--db" || option == "--from" || option == "--results" || option == "--separator" ||
           option == "--format" || option == "--to" || option == "--keep" || option == "--backups" ||
           option == "--template" || option == "--archive";
}

std::size_t CountOf(const std::string& option, const std::string& value) {
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    if (error != std::errc() || end != value.data() + value.size() || count == 0)
        throw EUsageError("option " + option + " needs a whole number of at least 1");
    return count;
}

std::string CommandName(Command command) {
    switch (command) {
    case Command::List:
        return "list";
    case Command::Export:
        return "export";
    case Command::Repair:
        return "repair";
    case Command::Backup:
        return "backup";
    case Command::Stats:
        return "stats";
    case Command::Templates:
        return "templates";
    case Command::Sync:
        return "sync";
    case Command::Archive:
        return "archive";
    case Command::Words:
        return "words";
    case Command::Help:
        break;
    }
    return "help";
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        throw EUsageError("no command given");
    CommandLine line;
    // Exported files carry their drawings' pictures, as the window's do.
    line.options.markupRenderer = std::make_shared<const InkOverPageRenderer>();
    line.command = CommandNamed(arguments.front());
    if (line.command == Command::Help)
        return line;

    ArgumentReader reader(arguments);
    bool optionsEnded = false, formatGiven = false;
    while (!reader.AtEnd()) {
        const std::string& argument = reader.Take();
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            line.volumeIds.push_back(argument);
            continue;
        }
        if (argument == "--") {
            // Everything after it is a volume id, even when it begins with "-".
            optionsEnded = true;
            continue;
        }
        if (IsHelp(argument)) {
            line.command = Command::Help;
            return line;
        }
        const std::size_t equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        std::optional<std::string> inlineValue;
        if (equals != std::string::npos)
            inlineValue = argument.substr(equals + 1);
        if (!Accepts(line.command, option))
            throw EUsageError("unknown option \"" + option + "\" for " + CommandName(line.command));
        if (!TakesValue(option) && inlineValue)
            throw EUsageError("option " + option + " takes no value");

        if (option == "--db")
            line.database = std::filesystem::path(reader.ValueOf(option, inlineValue));
        else if (option == "--from")
            line.fromPaths.emplace_back(reader.ValueOf(option, inlineValue));
        else if (option == "--results")
            line.resultsFolder = reader.ValueOf(option, inlineValue);
        else if (option == "--separator")
            line.options.separator = reader.ValueOf(option, inlineValue);
        else if (option == "--no-bom")
            line.options.setBom = false;
        else if (option == "--format" && line.command == Command::Archive)
            line.archiveFormat = reader.ValueOf(option, inlineValue);
        else if (option == "--archive")
            line.archiveFile = std::filesystem::path(reader.ValueOf(option, inlineValue));
        else if (option == "--format" && line.command == Command::Stats)
            line.statsFormat = StatsFormatNamed(reader.ValueOf(option, inlineValue));
        else if (option == "--format" && line.command == Command::Words)
            line.wordsFormat = WordsFormatFrom(reader.ValueOf(option, inlineValue));
        else if (option == "--format")
            line.options.format = FormatNamed(reader.ValueOf(option, inlineValue)), formatGiven = true;
        else if (option == "--template")
            line.templateSet = reader.ValueOf(option, inlineValue);
        else if (option == "--stdout")
            line.toStandardOutput = true;
        else if (option == "--override")
            line.options.overrideExisting = true;
        else if (option == "--all")
            line.all = true;
        else if (option == "--include-deleted")
            line.options.reading.skipDeletedHighlights = false;
        else if (option == "--file-titles")
            line.options.reading.chapterTitlesFromToc = false;
        else if (option == "--new-only")
            line.options.newOnly = true;
        else if (option == "--to" && line.command == Command::Sync)
            line.notesFolder = std::filesystem::path(reader.ValueOf(option, inlineValue));
        else if (option == "--dry-run")
            line.dryRun = true;
        else if (option == "--diff")
            line.showDiff = true;
        else if (option == "--retemplate")
            line.retemplate = true;
        else if (option == "--restore")
            line.restore = true;
        else if (option == "--to")
            line.backupFolder = std::filesystem::path(reader.ValueOf(option, inlineValue));
        else if (option == "--keep")
            line.backupsKept = CountOf(option, reader.ValueOf(option, inlineValue));
        else if (option == "--backups")
            line.statsBackups = std::filesystem::path(reader.ValueOf(option, inlineValue));
        else if (option == "--no-backups")
            line.withBackups = false;
        else if (option == "--from-archive")
            line.fromArchive = true;
        else if (option == "--live-only")
            line.liveOnly = true;
    }
    CheckFromArchive(line);

    switch (line.command) {
    case Command::List:
        if (!line.volumeIds.empty())
            throw EUsageError("list takes no volume id");
        break;
    case Command::Export:
        if (line.all && !line.volumeIds.empty())
            throw EUsageError("export takes either volume ids or --all, not both");
        if (!line.all && line.volumeIds.empty())
            throw EUsageError("export needs volume ids or --all");
        if (line.toStandardOutput && line.volumeIds.size() != 1)
            throw EUsageError("export --stdout needs exactly one volume id");
        // New highlights are told by the ledger of a results folder, and a file of them never replaces one.
        if (line.options.newOnly && (line.toStandardOutput || line.options.overrideExisting))
            throw EUsageError("export --new-only takes neither --stdout nor --override");
        // Templates render one format: they stand for it, and go with no other.
        if (line.templateSet && formatGiven && !FormatRow(line.options.format).rendersTemplates)
            throw EUsageError("export --template goes with --format " + std::string(TemplatesFormatRow().name) +
                              " only");
        if (line.templateSet)
            line.options.format = TemplatesFormatRow().format;
        break;
    case Command::Backup:
        if (!line.volumeIds.empty())
            throw EUsageError("backup takes no volume id");
        break;
    case Command::Stats:
        if (!line.volumeIds.empty())
            throw EUsageError("stats takes no volume id");
        if (line.statsBackups && !line.withBackups)
            throw EUsageError("stats takes either --backups or --no-backups, not both");
        break;
    case Command::Repair:
        if (line.volumeIds.size() != 1)
            throw EUsageError("repair needs exactly one volume id");
        break;
    case Command::Templates:
        if (!line.volumeIds.empty())
            throw EUsageError("templates takes no argument");
        break;
    case Command::Sync:
        if (!line.volumeIds.empty())
            throw EUsageError("sync takes no volume id");
        if (line.notesFolder.empty())
            throw EUsageError("sync needs --to FOLDER");
        // Whole records for the templates, and the deleted highlights so that their blocks can be marked.
        line.options.reading = SyncReading(line.options.reading);
        if (!line.templateSet)
            line.templateSet = std::string(kDefaultTemplateSet);
        break;
    case Command::Archive:
        CheckArchiveCommand(line);
        break;
    case Command::Words:
        if (!line.volumeIds.empty())
            throw EUsageError("words takes no argument");
        break;
    case Command::Help:
        break;
    }
    return line;
}
