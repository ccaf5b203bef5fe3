#include "NotesFolder.h"

#include "ESyncError.h"
#include "FrontMatter.h"
#include "FrontMatterValues.h"
#include "LineEnds.h"
#include "MakeNumberedFileName.h"
#include "NoteMarkers.h"
#include "ReplaceFile.h"
#include "SafeFileName.h"
#include "ScopedDescriptor.h"
#include "TemporaryFile.h"
#include "Utf8.h"
#include "WriteNumberedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Larger files are too large to merge, and are not read whole.
constexpr std::uintmax_t kMostNoteBytes = std::uintmax_t{64} << 20;
// Where the front matter that names a note's book must end, for a note too large to read whole.
constexpr std::size_t kFrontMatterBytes = 65536;
// How often a sync keeps the record of what each note received while it writes notes; once more when it ends.
constexpr std::chrono::seconds kReceivedSaveInterval{2};

std::string Quoted(const fs::path& file) {
    return "\"" + file.string() + "\"";
}

fs::path CheckedFolder(fs::path folder) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (!fs::exists(status))
        throw ESyncError("The notes folder " + Quoted(folder) + " does not exist: choose another, or make it first.");
    if (!fs::is_directory(status))
        throw ESyncError("The notes folder " + Quoted(folder) + " is no folder.");
    return folder;
}

// A regular file's bytes, not followed through a symbolic link: 0, or the system's error number.
int ReadNote(const fs::path& file, std::string& bytes) {
    ScopedDescriptor in(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat facts {};
    if (in.Get() < 0 || ::fstat(in.Get(), &facts) != 0)
        return errno;
    if (!S_ISREG(facts.st_mode))
        return EINVAL;
    if (static_cast<std::uintmax_t>(facts.st_size) > kMostNoteBytes)
        return EFBIG;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string ReadError(const fs::path& file, int error) {
    return "Cannot read note " + Quoted(file) + ": " + std::generic_category().message(error);
}

// What a note's front matter, or an outline's page properties, say of it: its book's volume id (empty when it names
// none) and the template set it was written with.
struct NoteKeys {
    std::string volumeId;
    std::string templateSet;
};

NoteKeys KeysOf(std::string_view note) {
    NoteKeys keys;
    std::size_t length = 0;
    if (const auto frontMatter = ReadFrontMatter(note, length)) {
        for (const FrontMatterEntry& entry : frontMatter->entries)
            if (entry.key == kVolumeIdKey)
                keys.volumeId = ParseVolumeIdValue(entry.text);
            else if (entry.key == kTemplateSetKey)
                keys.templateSet = EntryScalar(entry.text).value_or(std::string());
        return keys;
    }
    if (note.starts_with("\xEF\xBB\xBF"))
        note.remove_prefix(3);
    // The page's properties: the lines before the first that is blank or a block.
    for (const std::string_view line : SplitLines(note)) {
        const std::string_view text = WithoutLineEnd(line);
        if (text.empty() || text.starts_with('-') || text.find(":: ") == std::string_view::npos)
            break;
        if (std::optional<std::string> volumeId = ParseVolumeIdProperty(text))
            keys.volumeId = std::move(*volumeId);
        else if (std::optional<std::string> set = ParsePageProperty(text, kTemplateSetKey))
            keys.templateSet = std::move(*set);
    }
    return keys;
}

bool MayNameItsBook(std::string_view start) {
    return start.starts_with("---") || start.starts_with("\xEF\xBB\xBF---") ||
           start.find(std::string_view(kVolumeIdKey)) != std::string_view::npos;
}

// Whether a note may not be replaced: the sync would otherwise replace what the user locked (a rename needs only the
// folder's permission), and the superuser may write anything.
bool IsReadOnly(const fs::path& file) {
    struct stat facts {};
    return ::access(file.c_str(), W_OK) != 0 || (::stat(file.c_str(), &facts) == 0 && (facts.st_mode & 0222) == 0);
}

bool HasExtension(const fs::path& file, std::string_view extension) {
    const std::string name = file.filename().string();
    if (name.size() <= extension.size())
        return false;
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - extension.size() + i])) != extension[i])
            return false;
    return true;
}

// The blocks of a note that the reader's rendering gave: not another reader's, nor another book's copied in.
std::set<std::string> ReadersBlocks(const std::set<std::string>& inNote, const RenderedNote& rendered) {
    std::set<std::string> ids;
    for (const RenderedBlock& block : rendered.blocks)
        if (inNote.contains(block.bookmarkId))
            ids.insert(block.bookmarkId);
    return ids;
}

// The note changed on disk between reading it and replacing it.
struct NoteChangedMeanwhile {};

// A new note takes its name where no file has it, else the first free numbered name: another book's note, or the
// user's own file, is never replaced.
void WriteNewNote(PlannedNote& planned, const fs::path& file) {
    TemporaryFile temporary(file);
    if (const int error = temporary.Write(planned.text))
        RaiseFileError("Cannot write file", file, error);
    if (const int error = temporary.Close())
        RaiseFileError("Cannot write file", file, error);
    const int error = temporary.MoveToNew(file);
    if (error == EEXIST) {
        const fs::path numbered = WriteNumberedFile(file, ".md", planned.text);
        if (numbered.empty())
            RaiseFileError("Cannot create file", file, EEXIST);
        planned.file = numbered;
    } else if (error != 0) {
        RaiseFileError("Cannot create file", file, error);
    } else {
        planned.file = file;
    }
}

void ReplaceNote(const PlannedNote& planned) {
    struct stat facts {};
    const bool known = ::stat(planned.file.c_str(), &facts) == 0;
    ReplaceFile(planned.file, [&](TemporaryFile& temporary, const fs::path& name) {
        if (const int error = temporary.Write(planned.text))
            RaiseFileError("Cannot write file", name, error);
        if (known)
            ::chmod(temporary.Path().c_str(), facts.st_mode & 07777);
        std::string now;
        if (ReadNote(planned.file, now) != 0 || now != planned.previous)
            throw NoteChangedMeanwhile{};
    });
}

} // namespace

std::string NoteFileName(const std::string& name) {
    std::string file = SafeFileName(name.empty() ? "Untitled" : name, ".md");
    if (file.starts_with('.'))
        file[0] = '_';
    return file;
}

NotesFolder::NotesFolder(fs::path folder)
    : m_folder(CheckedFolder(std::move(folder))), m_lock(m_folder), m_received(m_folder) {
    if (m_lock.Busy())
        throw ESyncError("Another sync or export is writing into the notes folder " + Quoted(m_folder) +
                         ": nothing was synced. Sync again when it is done.");
    FindNotes();
}

void NotesFolder::FindNotes() {
    std::error_code error;
    fs::recursive_directory_iterator it(m_folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::directory_entry& entry = *it;
        if (entry.path().filename().string().starts_with('.')) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code kind;
        if (entry.is_symlink(kind)) {
            // A link may lead out of the folder, or to a note that another link leads to too.
            if (entry.is_directory(kind) || HasExtension(entry.path(), ".md"))
                m_passedOver.push_back("The linked " + std::string(entry.is_directory(kind) ? "folder " : "note ") +
                                       Quoted(entry.path()) + " is passed over: a sync follows no links.");
            continue;
        }
        if (!entry.is_regular_file(kind) || !HasExtension(entry.path(), ".md"))
            continue;
        ScopedDescriptor probe(::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        std::string start(kFrontMatterBytes, '\0');
        const ssize_t got = probe.Get() < 0 ? -1 : ::read(probe.Get(), start.data(), start.size());
        start.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        if (!MayNameItsBook(start))
            continue;
        std::string bytes;
        const int unread = ReadNote(entry.path(), bytes);
        if (unread != 0 && unread != EFBIG)
            continue;
        // A note too large to merge is still its book's note: the sync names it rather than write a second one.
        if (NoteKeys keys = KeysOf(unread == EFBIG ? start : bytes); !keys.volumeId.empty()) {
            m_notes[keys.volumeId].push_back(entry.path());
            if (!keys.templateSet.empty())
                m_templateSets[keys.volumeId] = std::move(keys.templateSet);
        } else if (unread == EFBIG)
            m_passedOver.push_back("The note " + Quoted(entry.path()) + " is larger than " +
                                   std::to_string(kMostNoteBytes >> 20) + " MiB and is passed over.");
    }
    for (auto& [volumeId, files] : m_notes)
        std::sort(files.begin(), files.end());
    std::sort(m_passedOver.begin(), m_passedOver.end()); // in one order, whatever the directory's
}

std::string NotesFolder::TemplateSetOf(const std::string& volumeId) const {
    const auto found = m_templateSets.find(volumeId);
    return found == m_templateSets.end() ? std::string() : found->second;
}

PlannedNote NotesFolder::Plan(const NoteRenderer& render, const std::string& today) const {
    const RenderedNote rendered = render(today);
    PlannedNote planned = Plan(rendered);
    if (planned.isNew || !planned.changes.frontMatterUpdated || planned.changes.AnyBlock())
        return planned;
    const RenderedNote otherDay = render(today == "1970-01-01" ? "1970-01-02" : "1970-01-01");
    const std::set<std::string> quietKeys = KeysThatDiffer(rendered.frontMatter, otherDay.frontMatter);
    return quietKeys.empty() ? planned : Plan(rendered, quietKeys);
}

PlannedNote NotesFolder::Plan(const RenderedNote& rendered, const std::set<std::string>& quietKeys) const {
    PlannedNote planned;
    planned.volumeId = rendered.volumeId;
    planned.name = rendered.name;
    const auto found = m_notes.find(rendered.volumeId);
    if (found == m_notes.end()) {
        MergedNote note = NewNote(rendered);
        if (note.changes.added.empty())
            return planned; // nothing to show: no note
        planned.isNew = true;
        planned.file = m_folder / NoteFileName(rendered.name);
        std::error_code error;
        if (fs::exists(fs::symlink_status(planned.file, error)))
            planned.file = MakeNumberedFileName(planned.file, ".md");
        planned.text = std::move(note.text);
        planned.changes = std::move(note.changes);
        planned.blockIds = ReadersBlocks(note.blockIds, rendered);
        return planned;
    }
    const std::vector<fs::path>& files = found->second;
    planned.file = files.front();
    if (files.size() > 1) {
        planned.error = "Notes " + Quoted(files[0]) + " and " + Quoted(files[1]) + " both name the book " +
                        Quoted(rendered.volumeId) + " in their " + std::string(kVolumeIdKey) +
                        ": neither is synced. Keep the key in one of them.";
        return planned;
    }
    if (const int error = ReadNote(planned.file, planned.previous)) {
        planned.error = error == EFBIG ? "The note " + Quoted(planned.file) + " is larger than " +
                                             std::to_string(kMostNoteBytes >> 20) +
                                             " MiB, too large to merge: it is left as it is."
                                       : ReadError(planned.file, error);
        return planned;
    }
    if (!IsValidUtf8(planned.previous)) {
        planned.error = "The note " + Quoted(planned.file) + " is not UTF-8 text: it is left as it is.";
        return planned;
    }
    const std::set<std::string> received = m_received.Of(rendered.volumeId);
    const std::set<std::string> fromReader = m_received.From(rendered.volumeId, m_reader);
    MergedNote note = MergeNote(planned.previous, rendered, quietKeys,
                                m_received.Knows(rendered.volumeId) ? NoteHistory{&received, &fromReader, m_restore}
                                                                    : NoteHistory{nullptr, nullptr, m_restore});
    planned.text = std::move(note.text);
    planned.changes = std::move(note.changes);
    planned.blockIds = ReadersBlocks(note.blockIds, rendered);
    if (planned.text != planned.previous && IsReadOnly(planned.file))
        planned.error = "The note " + Quoted(planned.file) + " is read-only: it is left as it is.";
    return planned;
}

void NotesFolder::Remember(PlannedNote& planned) {
    if (!m_received.Add(planned.volumeId, m_reader, planned.blockIds))
        return;
    m_receivedUnsaved = true;
    // Written after every note, the record of a first sync of thousands of notes was written thousands of times.
    if (std::chrono::steady_clock::now() - m_receivedSavedAt < kReceivedSaveInterval)
        return;
    try {
        SaveReceived();
    } catch (const std::exception& error) {
        planned.error = error.what();
    }
}

void NotesFolder::SaveReceived() {
    if (!m_receivedUnsaved)
        return;
    m_received.Save();
    m_receivedUnsaved = false;
    m_receivedSavedAt = std::chrono::steady_clock::now();
}

NotesFolder::~NotesFolder() {
    try {
        SaveReceived();
    } catch (const std::exception&) {
        // The notes are written: without the record, a block removed from one since may come back at the next sync.
    }
}

void NotesFolder::Write(PlannedNote& planned) {
    if (planned.Failed() || planned.file.empty())
        return;
    // What the note holds is remembered once it holds it.
    if (!planned.Changes()) {
        Remember(planned);
        return;
    }
    try {
        if (planned.isNew) {
            WriteNewNote(planned, m_folder / NoteFileName(planned.name));
            m_notes[planned.volumeId].push_back(planned.file);
        } else {
            ReplaceNote(planned);
        }
    } catch (const NoteChangedMeanwhile&) {
        planned.error = "The note " + Quoted(planned.file) + " changed while it was synced: it is left as it is. " +
                        "Sync again to bring it up to date.";
    } catch (const std::exception& error) {
        planned.error = error.what();
    }
    if (!planned.Failed())
        Remember(planned);
}
