#include "DatabaseBackups.h"

#include "ArchiveInputs.h"
#include "DatabaseBackup.h"
#include "ReaderFilesBackup.h"
#include "SourcePaths.h"
#include "StopScope.h"
#include "Utf8Text.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// What the archive took of a backup, in a few words.
QString AddedToArchive(const std::filesystem::path& archive, const std::filesystem::path& backup) {
    try {
        SilentProgress silent;
        const ArchiveAddOutcome added = AddToArchive(archive, {ArchiveInputOf(backup)}, silent);
        if (!added.failed.empty())
            return "; not added to the archive: " + QString::fromStdString(added.failed.front().second);
        const MergeCounts& counts = added.counts;
        if (!counts.AnythingNew())
            return "; the archive has it all";
        return QString("; archive: %1 new, %2 newly gone from the reader")
            .arg(counts.newHighlights)
            .arg(counts.goneHighlights);
    } catch (const std::exception& error) {
        return "; not added to the archive: " + QString::fromUtf8(error.what());
    }
}

BackupOutcome BackUpQuietly(const std::filesystem::path& database, const std::filesystem::path& folder,
                            const std::filesystem::path& archive, std::shared_ptr<const std::atomic<bool>> stop) {
    // The copy stops between its runs of pages, its checks within their statements; what it began is removed.
    const StopScope interrupt(*stop);
    try {
        SilentProgress silent;
        const BackupResult result = BackUpDatabase(database, folder, kDefaultBackupsKept, silent);
        if (result.noDatabase)
            return {};
        QString status = (result.duplicate ? "backup unchanged: " : "backed up to ") + FromPath(result.file);
        if (!archive.empty() && !*stop)
            status += AddedToArchive(archive, result.file);
        return {status, {}};
    } catch (const std::exception& error) {
        if (*stop)
            return {{}, {}, true};
        return {{}, QString::fromUtf8(error.what())};
    } catch (...) {
        return {{}, QStringLiteral("Unknown error")};
    }
}

BackupOutcome BackUpReaderFilesQuietly(const std::filesystem::path& root, const std::filesystem::path& folder) {
    try {
        const ReaderFilesBackupResult result =
            BackUpReaderFiles(root, OtherReadersFilesOf(root), folder, std::time(nullptr));
        QString status;
        if (!result.folder.empty())
            status = (result.duplicate ? "reader's files unchanged: " : "reader's files backed up to ") +
                     FromPath(result.folder);
        QStringList tooLarge;
        for (const std::filesystem::path& file : result.tooLarge)
            tooLarge << FromPath(file.filename());
        if (!tooLarge.isEmpty())
            status += (status.isEmpty() ? "" : "; ") +
                      QString("left out, over %1 MB: ").arg(kReaderFileBackupLimit >> 20) + tooLarge.join(", ");
        return {status, {}};
    } catch (const std::exception& error) {
        return {{}, QString::fromUtf8(error.what())};
    }
}

} // namespace

void DatabaseBackups::StartReaderFiles(const QString& root, const QString& folder,
                                       std::function<void(const BackupOutcome&)> ended) {
    if (m_running++ == 0)
        m_stop = std::make_shared<std::atomic<bool>>(false);
    Watch(QtConcurrent::run(&m_threads, BackUpReaderFilesQuietly, ToPath(root), ToPath(folder)), std::move(ended));
}

void DatabaseBackups::Watch(QFuture<BackupOutcome> backup, std::function<void(const BackupOutcome&)> ended) {
    auto* watcher = new QFutureWatcher<BackupOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ended = std::move(ended)] {
        watcher->deleteLater();
        --m_running;
        ended(watcher->result());
    });
    watcher->setFuture(std::move(backup));
}

void DatabaseBackups::Start(const QString& database, const QString& folder, const QString& archive,
                            std::function<void(const BackupOutcome&)> ended) {
    if (m_running++ == 0)
        m_stop = std::make_shared<std::atomic<bool>>(false);
    Watch(QtConcurrent::run(&m_threads, BackUpQuietly, ToPath(database), ToPath(folder),
                            archive.isEmpty() ? std::filesystem::path() : ToPath(archive), m_stop),
          std::move(ended));
}

void DatabaseBackups::Stop() {
    if (m_running > 0)
        *m_stop = true;
}
