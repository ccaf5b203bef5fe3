#include "WholeExportFile.h"

#include "ExportFile.h"
#include "TemporaryFile.h"

#include <memory>
#include <utility>

namespace {

// The books as they are read, each written at once into the one new file.
class OneFileForAll : public VolumeReceiver {
public:
    OneFileForAll(ExportRun& run, std::filesystem::path target) : m_run(run), m_target(std::move(target)) {}

    void Restart() override {
        m_file.reset();
        m_marks.clear();
        m_failed.clear();
        m_highlights = 0;
        m_books = 0;
    }
    void Take(const std::string& volumeId, AnnotatedVolume&& volume) override {
        ++m_books;
        std::optional<LedgerMarks> marks = m_run.Prepare(volume, m_target);
        if (!marks)
            return; // nothing new
        if (!m_file)
            m_file = std::make_unique<TemporaryFile>(m_target);
        FileSink sink(*m_file, m_target);
        m_run.Writer().Write(volume, sink);
        m_highlights += volume.bookmarks.size();
        m_marks.emplace_back(volumeId, std::move(*marks));
    }
    void Unread(const std::string& volumeId, const std::string& reason) override {
        ++m_books;
        m_failed.push_back({volumeId, reason});
    }

    ExportAllResult Write(std::size_t asked, ProgressReporter& progress) {
        ExportAllResult result;
        result.failed = std::move(m_failed);
        if (m_books < asked || progress.StopRequested()) {
            result.stopped = true;
            return result;
        }
        if (!m_file)
            return result;
        const ExportResult written = WriteExportFile([this](const std::filesystem::path&) { return std::move(m_file); },
                                                     std::string(m_target.extension()), m_target, m_run.Replaces());
        if (written.outcome != ExportOutcome::Written) {
            result.failed.push_back({m_target.filename().string(), "something went wrong!"});
            return result;
        }
        result.written.push_back(written.file);
        result.highlights = m_highlights;
        result.books = m_marks.size();
        for (auto& [volumeId, marks] : m_marks)
            m_run.Record(volumeId, std::move(marks));
        return result;
    }

private:
    ExportRun& m_run;
    std::filesystem::path m_target;
    std::unique_ptr<TemporaryFile> m_file;
    std::vector<std::pair<std::string, LedgerMarks>> m_marks;
    std::vector<FailedExport> m_failed;
    std::size_t m_highlights = 0;
    std::size_t m_books = 0;
};

} // namespace

ExportAllResult ExtractIntoOneFile(const AnnotationSource& source, const std::vector<std::string>& volumeIds,
                                   const std::filesystem::path& resultsFolder, ExportRun& run,
                                   ProgressReporter& progress) {
    OneFileForAll file(run, ExportTargetPath(resultsFolder, {}, {}, {}, run.Format()));
    if (!source.ReadVolumes(volumeIds, run.Reading(), progress, file))
        return {.noDatabase = true};
    ExportAllResult result = file.Write(volumeIds.size(), progress);
    result.ledgerNotSaved = run.Save(result.written.size(), progress);
    progress.ResetProgress();
    progress.SetStatus("");
    return result;
}
