// The private copy that settles a pending -wal: a temporary folder that cannot take it is named as the culprit, and
// copies that a dead process left behind go at the next reading, while those of a living one stay.
#include "DyingWriter.h"
#include "FileContents.h"
#include "FileSizeLimit.h"
#include "PrivateFolder.h"
#include "ReaderFolderTest.h"
#include "SampleBooks.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class PrivateCopyTest : public ReaderFolderTest {
protected:
    PrivateCopyTest() {
        fs::create_directory(temporary);
        ::setenv("TMPDIR", temporary.c_str(), 1);
        fixture::AddWinterVoyage(reader, "/mnt/onboard/A Winter Voyage.epub");
        reader.Exec("PRAGMA journal_mode=WAL");
        reader.Close();
        fixture::LeaveCommittedWal(reader.Path(), "UPDATE Bookmark SET Annotation = 'pending'");
    }
    ~PrivateCopyTest() override { ::unsetenv("TMPDIR"); }

    TempFolder elsewhere;
    fs::path temporary = elsewhere / "tmp";
};

TEST_F(PrivateCopyTest, ATemporaryFolderThatCannotTakeTheCopyIsNamedWithTheSystemsReason) {
    const std::uintmax_t size = fs::file_size(reader.Path());
    const std::string message = fixture::RunWithFileSizeLimit(size / 2, [&] {
        SilentProgress silent;
        const LoadOutcome outcome = library.LoadDatabase(reader.Path(), silent);
        if (outcome.exception)
            std::rethrow_exception(outcome.exception);
    });
    const std::string start =
        "Cannot copy the database into the temporary folder \"" + (temporary / "marvik-").string();
    EXPECT_EQ(message.rfind(start, 0), 0u) << message;
    EXPECT_TRUE(message.ends_with("\": File too large")) << message;
    EXPECT_TRUE(fs::is_empty(temporary));
}

TEST_F(PrivateCopyTest, FoldersThatNoLivingProcessHoldsGoAtTheNextReading) {
    // A process that dies with its private folder, as kill -9 or a power cut leaves it.
    const pid_t dying = ::fork();
    if (dying == 0) {
        const auto* abandoned = new PrivateFolder;
        std::ofstream(abandoned->Path() / "KoboReader.sqlite") << "a copy";
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(dying, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::set<std::string> left = fixture::FolderNames(temporary);
    ASSERT_EQ(left.size(), 1u);
    // One of a living reading, and folders of other naming.
    const PrivateFolder living;
    std::ofstream(living.Path() / "KoboReader.sqlite") << "in use";
    for (const char* other : {"marvik-results", "marvik-12345", "other-abcdef"})
        fs::create_directory(temporary / other);

    EXPECT_EQ(library.LoadDatabase(reader.Path(), progress).kind, LoadOutcome::Kind::Loaded);
    std::set<std::string> present = fixture::FolderNames(temporary);
    for (const std::string& name :
         std::vector<std::string>{"marvik-results", "marvik-12345", "other-abcdef", living.Path().filename().string()})
        EXPECT_EQ(present.erase(name), 1u) << name;
    // What remains is the copy kept while the database is loaded; the dead process's folder is gone.
    EXPECT_EQ(present.size(), 1u);
    EXPECT_FALSE(present.contains(*left.begin()));
    EXPECT_EQ(fixture::FileBytes(living.Path() / "KoboReader.sqlite"), "in use");
}

} // namespace
