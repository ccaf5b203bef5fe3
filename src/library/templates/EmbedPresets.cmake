# Writes OUTPUT, a C++ file holding each preset template file (PRESETS, a list of SET/FILE paths under PRESET_DIR) as
# the bytes of a string, for PresetTemplates.h. Every byte is written as an escape, so no text can end a literal.
set(entries "")
foreach(preset IN LISTS PRESETS)
    file(READ "${PRESET_DIR}/${preset}" bytes HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${bytes}")
    get_filename_component(set "${preset}" DIRECTORY)
    get_filename_component(name "${preset}" NAME)
    string(LENGTH "${bytes}" digits)
    math(EXPR size "${digits} / 2")
    string(APPEND entries "    {\"${set}\", \"${name}\", std::string_view(\"${escaped}\", ${size})},\n")
endforeach()
file(WRITE "${OUTPUT}.new" "// Made from src/library/templates/presets when the program is built: edit those files, not this one.
#include \"PresetTemplates.h\"

namespace {

const PresetFile kPresets[] = {
${entries}};

} // namespace

std::span<const PresetFile> PresetFiles() {
    return kPresets;
}
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
