#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Which blocks each book's note has received, and from which reader database, kept in the notes folder
// (.marvik/received.json, a hidden folder that no note app shows and no sync looks into for notes): a block the user
// removed from a note is not added again; a block that the database being synced never gave is another reader's, or
// was copied in from another book's note, and is not marked deleted because this database lacks it.
class ReceivedHighlights {
public:
    // What the folder's file holds; nothing when there is none or it cannot be read (the notes then sync as if no
    // block had been received).
    explicit ReceivedHighlights(const std::filesystem::path& notesFolder);

    // Whether anything is known of the book's note.
    bool Knows(const std::string& volumeId) const;

    // The ids of the blocks the book's note has received from any reader.
    std::set<std::string> Of(const std::string& volumeId) const;

    // The ids of those the given reader database gave.
    std::set<std::string> From(const std::string& volumeId, const std::string& reader) const;

    // Adds what the reader gave the book's note; true when that is more than was known.
    bool Add(const std::string& volumeId, const std::string& reader, const std::set<std::string>& ids);

    // Writes the file again (a new file that then takes the name); raises EFileError.
    void Save() const;

private:
    std::filesystem::path m_file;
    std::map<std::string, std::map<std::string, std::set<std::string>>> m_received; // volume id -> id -> readers
};

// What tells one reader's database from another's: the serial number in the reader's .kobo/version beside it, else the
// database file's own path.
std::string ReaderIdentity(const std::filesystem::path& database);
