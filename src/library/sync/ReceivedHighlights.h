#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Which blocks each book's note has received, kept in the notes folder (.marvik/received.json, a hidden folder that no
// note app shows and no sync looks into for notes), so that a block the user removed from a note is not added again
// and a block no longer on the reader is told from one copied in from another book's note.
class ReceivedHighlights {
public:
    // What the folder's file holds; nothing when there is none or it cannot be read (the notes then sync as if no
    // block had been received).
    explicit ReceivedHighlights(const std::filesystem::path& notesFolder);

    // The ids of the blocks the book's note has received; empty when it is not known.
    const std::set<std::string>& Of(const std::string& volumeId) const;

    // Adds to what the book's note has received; true when that is more than it was.
    bool Add(const std::string& volumeId, const std::set<std::string>& ids);

    // Writes the file again (a new file that then takes the name); raises EFileError.
    void Save() const;

private:
    std::filesystem::path m_file;
    std::map<std::string, std::set<std::string>> m_received; // by volume id
};
