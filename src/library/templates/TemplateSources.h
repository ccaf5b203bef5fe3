#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// One file of a template set: its text, with LF line ends and no byte-order mark, and its name for messages (the
// path of a user's file, or "SET/FILE (built in)").
struct TemplateText {
    std::string file;
    std::string text;
};

// The set a note or an export of Markdown is rendered with when none is chosen.
inline constexpr std::string_view kDefaultTemplateSet = "markdown";

// The four files of a template set, as found: a user's set lacking one takes the "markdown" preset's.
struct TemplateSetSource {
    std::string name;
    std::filesystem::path folder; // empty for a preset
    TemplateText book;            // book.mustache
    TemplateText highlight;       // highlight.mustache
    TemplateText noteName;        // name.mustache
    TemplateText deleted;         // deleted.mustache
    // The note app the set writes for, which decides how the program keeps its marks in a note (NoteMarkers.h) and
    // how texts are escaped: "markdown", "obsidian" or "logseq". A preset's is its name; a user's set names its own
    // in note-app.txt, else it is "markdown".
    std::string noteApp = "markdown";
};

// A set as listed: a user's set in its folder, or a preset (no folder).
struct TemplateSetEntry {
    std::string name;
    std::filesystem::path folder;
};

// The folder of the user's template sets, one folder per set: $XDG_CONFIG_HOME/marvik/templates, or
// ~/.config/marvik/templates where XDG_CONFIG_HOME is unset or not absolute; empty where there is no home either.
std::filesystem::path UserTemplatesFolder();

// Every set, by name: the presets and the user's sets (folders holding at least one of the four files). A user's set
// named like a preset stands in its place.
std::vector<TemplateSetEntry> ListTemplateSets();

// The set a name or a folder names: an argument holding "/" (or "." or "..") is a folder, else the user's set of that
// name or the preset. Raises ETemplateError when there is none, or a file cannot be read.
TemplateSetSource FindTemplateSet(const std::string& nameOrFolder);
