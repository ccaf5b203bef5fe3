#include "ReaderWatcher.h"

#include "ReaderVolume.h"
#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace {

// Often enough to notice a reader within two seconds; a look at the mounted volumes costs well under a millisecond.
constexpr int kReaderLookInterval = 1000;

} // namespace

ReaderWatcher::ReaderWatcher(std::shared_ptr<const VolumeSource> volumes, std::function<bool()> held, QObject* parent)
    : QObject(parent), m_volumes(std::move(volumes)), m_held(std::move(held)) {}

void ReaderWatcher::Start() {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ReaderWatcher::Look);
    timer->start(kReaderLookInterval);
    // Where the volume source gives a sign of change, a reader is seen at once; the timer stays for sources that give
    // none.
    if (const std::filesystem::path signal = m_volumes->ChangeSignalFile(); !signal.empty()) {
        auto* watched = new QFile(FromPath(signal), this);
        if (watched->open(QIODevice::ReadOnly)) {
            auto* changed = new QSocketNotifier(watched->handle(), QSocketNotifier::Exception, watched);
            connect(changed, &QSocketNotifier::activated, this, &ReaderWatcher::Look);
        }
    }
    QTimer::singleShot(0, this, &ReaderWatcher::Look);
}

QString ReaderWatcher::FindRoot() const {
    return FromPath(FindKoboReader(*m_volumes));
}

void ReaderWatcher::Look() {
    // The status belongs to the running action; the next look tells what changed meanwhile.
    if (m_held())
        return;
    const QString root = FindRoot();
    if (root != m_connected) {
        m_connected = root;
        emit Changed(root);
    }
    std::vector<ReaderByFiles> others = FindOtherReaders(*m_volumes);
    const auto same = [](const ReaderByFiles& a, const ReaderByFiles& b) {
        return a.root == b.root && a.koreader == b.koreader && a.kindleClippings == b.kindleClippings;
    };
    if (!std::equal(others.begin(), others.end(), m_others.begin(), m_others.end(), same)) {
        m_others = std::move(others);
        emit OthersChanged();
    }
}
