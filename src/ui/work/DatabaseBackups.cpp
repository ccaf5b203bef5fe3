#include "DatabaseBackups.h"

#include "DatabaseBackup.h"
#include "StopScope.h"
#include "Utf8Text.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

BackupOutcome BackUpQuietly(const std::filesystem::path& database, const std::filesystem::path& folder,
                            std::shared_ptr<const std::atomic<bool>> stop) {
    // The copy stops between its runs of pages, its checks within their statements; what it began is removed.
    const StopScope interrupt(*stop);
    try {
        SilentProgress silent;
        const BackupResult result = BackUpDatabase(database, folder, kDefaultBackupsKept, silent);
        if (result.noDatabase)
            return {};
        return {(result.duplicate ? "backup unchanged: " : "backed up to ") + FromPath(result.file), {}};
    } catch (const std::exception& error) {
        if (*stop)
            return {{}, {}, true};
        return {{}, QString::fromUtf8(error.what())};
    } catch (...) {
        return {{}, QStringLiteral("Unknown error")};
    }
}

} // namespace

void DatabaseBackups::Start(const QString& database, const QString& folder,
                            std::function<void(const BackupOutcome&)> ended) {
    if (m_running++ == 0)
        m_stop = std::make_shared<std::atomic<bool>>(false);
    auto* watcher = new QFutureWatcher<BackupOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ended = std::move(ended)] {
        watcher->deleteLater();
        --m_running;
        ended(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_threads, BackUpQuietly, ToPath(database), ToPath(folder), m_stop));
}

void DatabaseBackups::Stop() {
    if (m_running > 0)
        *m_stop = true;
}
