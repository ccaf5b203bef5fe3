#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// The YAML documents of the file as a well-kept YAML parser (PyYAML, safe loading) reads them, made JSON: of a Markdown
// file its front matter, else every document; a file that is no YAML gives a discarded value.
inline nlohmann::json YamlDocuments(const std::filesystem::path& file) {
    const std::string script = "import json,sys,yaml\n"
                               "t = open(sys.argv[1], encoding=\"utf-8\").read()\n"
                               "if sys.argv[1].endswith(\".md\"): t = t[:t.index(\"\\n---\\n\") + 5]\n"
                               "print(json.dumps([d for d in yaml.safe_load_all(t) if d]))";
    const std::string command = MARVIK_PYTHON3 " -c '" + script + "' '" + file.string() + "' 2>/dev/null";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string json(1 << 16, '\0');
    json.resize(pipe ? std::fread(json.data(), 1, json.size(), pipe.get()) : 0);
    return nlohmann::json::parse(json, nullptr, false);
}
