#pragma once

#include "NoteMerge.h"
#include "ReceivedHighlights.h"
#include "RenderedNote.h"
#include "WritingFolderLock.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// A book's note as its template set renders it on a given day (YYYY-MM-DD), for the templates' export date.
using NoteRenderer = std::function<RenderedNote(std::string_view exportDate)>;

// What a sync means to do with one book's note, and, once written, what it did.
struct PlannedNote {
    std::string volumeId;
    std::string name;           // the book's note name, as rendered
    std::filesystem::path file; // the note; a new note's name may still change when it is written
    bool isNew = false;
    std::string previous; // the note's bytes as read; empty for a new note
    std::string text;     // what the note is to hold
    NoteChanges changes;
    std::set<std::string> blockIds; // of the reader's blocks the note is to hold
    std::string error;              // why the book's note is left as it is; empty when nothing went wrong

    bool Failed() const { return !error.empty(); }
    bool Changes() const { return !Failed() && (isNew || text != previous); }
};

// A folder of notes, one per book, that syncs keep up to date (NoteMarkers.h tells how a note is found again). While
// it lives it holds the folder's lock, the one an export of new highlights holds, so that two syncs (or a sync and
// such an export) never write into one folder at once. Notes are found in the folder and its subfolders, except
// hidden ones (a note-taking program's trash and settings); a note is a regular file ending in ".md".
class NotesFolder {
public:
    // Raises ESyncError when folder does not exist or is no folder, or when another sync or export holds it longer
    // than WritingFolderLock::kPatience. A missing folder is not made: the user chose it, and a mistyped path should
    // not become a second notes folder.
    explicit NotesFolder(std::filesystem::path folder);
    // What the notes received and is not kept yet is kept, where it can be (SaveReceived tells why not).
    ~NotesFolder();
    NotesFolder(const NotesFolder&) = delete;
    NotesFolder& operator=(const NotesFolder&) = delete;

    const std::filesystem::path& Path() const { return m_folder; }

    // Whether blocks that notes received and the user removed are added again (ReceivedHighlights.h).
    void SetRestore(bool restore) { m_restore = restore; }
    // The reader database whose books are synced (ReaderIdentity): what it gave each note is remembered apart.
    void SetReader(std::string reader) { m_reader = std::move(reader); }

    // What finding the notes passed over, one message each: links to notes or folders (a sync follows none), a file
    // too large to read whose book could not be told.
    const std::vector<std::string>& PassedOver() const { return m_passedOver; }

    // The template set the book's note was written with, as the note names it; empty when it names none.
    std::string TemplateSetOf(const std::string& volumeId) const;

    // What syncing rendered into the folder would do, with nothing written. A book's note is the one whose front matter
    // names its volume id; without one, a new note named from rendered.name is planned, unless the book has nothing
    // to show. A note that is not UTF-8, cannot be read, is read-only while it would change, or shares the book's key
    // with another note, is named in error.
    // The front matter entries of quietKeys change only along with another (MergeNote).
    PlannedNote Plan(const RenderedNote& rendered, const std::set<std::string>& quietKeys = {}) const;

    // The same for the book's note as render gives it for today (YYYY-MM-DD). Where only the front matter would
    // change, the note is rendered for another day too, and the entries that differ (the date of the sync) are quiet
    // keys: a note changes on a new day only when the reader's book did.
    PlannedNote Plan(const NoteRenderer& render, const std::string& today) const;

    // Writes what Plan gave, when it changes anything: a note is replaced atomically, with its permissions, unless its
    // bytes changed since Plan read them; a new note never replaces a file of its name, but takes the next numbered
    // name (file then says which). Sets error when the note cannot be written, and leaves it as it was.
    void Write(PlannedNote& planned);

    // Keeps which blocks the notes received (ReceivedHighlights.h) where Write has not kept it yet: Write keeps it at
    // most every few seconds, since the record holds every note's blocks. Raises EFileError when it cannot be written.
    void SaveReceived();

private:
    void FindNotes();
    // Adds the note's blocks to what its book received; sets error when that cannot be kept.
    void Remember(PlannedNote& planned);

    std::filesystem::path m_folder;
    WritingFolderLock m_lock;
    std::map<std::string, std::vector<std::filesystem::path>> m_notes; // by volume id
    std::vector<std::string> m_passedOver;
    std::map<std::string, std::string> m_templateSets; // by volume id
    ReceivedHighlights m_received;
    bool m_receivedUnsaved = false;
    std::chrono::steady_clock::time_point m_receivedSavedAt{};
    bool m_restore = false;
    std::string m_reader;
};

// The file name of a new note: the note name made safe, with ".md". A name that would be hidden gets "_" in front.
std::string NoteFileName(const std::string& name);
