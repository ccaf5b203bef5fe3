#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Receives the URLs the desktop is asked to open (install with QDesktopServices::setUrlHandler), so that tests see
// which folder or file would have been shown, and no file browser opens.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};
