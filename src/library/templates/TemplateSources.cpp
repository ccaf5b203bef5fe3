#include "TemplateSources.h"

#include "ETemplateError.h"
#include "PresetTemplates.h"
#include "Utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kFiles = {"book.mustache", "highlight.mustache", "name.mustache",
                                                    "deleted.mustache"};
constexpr std::string_view kNoteAppFile = "note-app.txt";
constexpr std::array<std::string_view, 3> kNoteApps = {"markdown", "obsidian", "logseq"};
// Far more than any template needs: a larger file is no template.
constexpr std::uintmax_t kMostTemplateBytes = std::uintmax_t{1} << 20;

// LF line ends and no byte-order mark, whatever editor wrote the file.
std::string Normalised(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

// The line of text's first byte that is no UTF-8; 0 when all of it is.
std::size_t LineNotUtf8(std::string_view text) {
    if (IsValidUtf8(text))
        return 0;
    std::size_t line = 1;
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t length = NextUtf8CodePoint(text.substr(at), code);
        if (length == 0)
            return line;
        line += code == U'\n';
        at += length;
    }
    return line;
}

TemplateText PresetText(std::string_view set, std::string_view file) {
    for (const PresetFile& preset : PresetFiles())
        if (preset.set == set && preset.file == file)
            return {std::string(set) + "/" + std::string(file) + " (built in)", Normalised(preset.text)};
    return {};
}

bool IsPreset(std::string_view name) {
    return std::ranges::any_of(PresetFiles(), [name](const PresetFile& preset) { return preset.set == name; });
}

bool HoldsTemplates(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && std::ranges::any_of(kFiles, [&folder](std::string_view file) {
               std::error_code ignored;
               return fs::exists(folder / file, ignored);
           });
}

[[noreturn]] void RaiseUnreadable(const fs::path& file, const std::string& why) {
    throw ETemplateError("cannot read " + file.string() + ": " + why);
}

// The folder's file, or the fallback's where the folder has none.
TemplateText FolderText(const fs::path& folder, std::string_view file) {
    const fs::path path = folder / file;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return PresetText(kDefaultTemplateSet, file);
    if (error)
        RaiseUnreadable(path, error.message());
    // Only a regular file: a FIFO would wait for a writer, a device would never end.
    if (status.type() != fs::file_type::regular)
        RaiseUnreadable(path, "not a file");
    if (fs::file_size(path, error) > kMostTemplateBytes)
        RaiseUnreadable(path, "larger than 1 MiB");
    std::ifstream stream(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!stream && !stream.eof())
        RaiseUnreadable(path, std::strerror(errno));
    std::string normalised = Normalised(text);
    // Notes written from it would not be UTF-8, and no later sync would take them.
    if (const std::size_t line = LineNotUtf8(normalised))
        throw ETemplateError(path.string() + ":" + std::to_string(line) + ": not UTF-8 text");
    return {path.string(), std::move(normalised)};
}

// The note app a user's set names in note-app.txt, one word.
std::string FolderNoteApp(const fs::path& folder) {
    const fs::path file = folder / kNoteAppFile;
    std::error_code error;
    if (!fs::exists(file, error))
        return std::string(kDefaultTemplateSet);
    std::string app = FolderText(folder, kNoteAppFile).text;
    app.erase(app.find_last_not_of(" \t\n") + 1);
    app.erase(0, app.find_first_not_of(" \t\n"));
    if (std::ranges::find(kNoteApps, app) == kNoteApps.end())
        throw ETemplateError(file.string() + ":1: unknown note app \"" + app + "\": markdown, obsidian or logseq");
    return app;
}

TemplateSetSource FolderSet(const std::string& name, const fs::path& folder) {
    return {name,
            folder,
            FolderText(folder, kFiles[0]),
            FolderText(folder, kFiles[1]),
            FolderText(folder, kFiles[2]),
            FolderText(folder, kFiles[3]),
            FolderNoteApp(folder)};
}

std::string PresetNames() {
    std::vector<std::string_view> names;
    for (const PresetFile& preset : PresetFiles())
        if (std::ranges::find(names, preset.set) == names.end())
            names.push_back(preset.set);
    std::string joined;
    for (const std::string_view name : names)
        joined.append(joined.empty() ? "" : ", ").append(name);
    return joined;
}

} // namespace

fs::path UserTemplatesFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (config && fs::path(config).is_absolute()) {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return {};
        base = fs::path(home) / ".config";
    }
    return base / "marvik" / "templates";
}

std::vector<TemplateSetEntry> ListTemplateSets() {
    std::map<std::string, fs::path> sets;
    for (const PresetFile& preset : PresetFiles())
        sets.emplace(std::string(preset.set), fs::path());
    const fs::path folder = UserTemplatesFolder();
    std::error_code error;
    if (!folder.empty() && fs::is_directory(folder, error)) {
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            if (HoldsTemplates(it->path()))
                sets[it->path().filename().string()] = it->path();
    }
    std::vector<TemplateSetEntry> entries;
    for (auto& [name, setFolder] : sets)
        entries.push_back({name, setFolder});
    return entries;
}

TemplateSetSource FindTemplateSet(const std::string& nameOrFolder) {
    if (nameOrFolder.find('/') != std::string::npos || nameOrFolder == "." || nameOrFolder == "..") {
        const fs::path folder = nameOrFolder;
        if (!HoldsTemplates(folder))
            throw ETemplateError("not a template set: " + nameOrFolder + " (a folder holding book.mustache, " +
                                 "highlight.mustache, name.mustache or deleted.mustache)");
        std::error_code error;
        const fs::path canonical = fs::canonical(folder, error);
        return FolderSet((error ? folder.lexically_normal() : canonical).filename().string(), folder);
    }
    if (const fs::path users = UserTemplatesFolder();
        !users.empty() && !nameOrFolder.empty() && HoldsTemplates(users / nameOrFolder))
        return FolderSet(nameOrFolder, users / nameOrFolder);
    if (!IsPreset(nameOrFolder))
        throw ETemplateError("no template set named \"" + nameOrFolder + "\": " + PresetNames() +
                             " are built in; yours go into " +
                             (UserTemplatesFolder().empty() ? std::string("~/.config/marvik/templates")
                                                            : UserTemplatesFolder().string()) +
                             "/NAME/");
    return {nameOrFolder,
            {},
            PresetText(nameOrFolder, kFiles[0]),
            PresetText(nameOrFolder, kFiles[1]),
            PresetText(nameOrFolder, kFiles[2]),
            PresetText(nameOrFolder, kFiles[3]),
            nameOrFolder};
}
