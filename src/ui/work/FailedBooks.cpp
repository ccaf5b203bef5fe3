#include "FailedBooks.h"

#include "ErrorDisplay.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QRegularExpression>

#include <map>

namespace {

// Books named on a shared line before the rest are only counted.
constexpr qsizetype kNamedBooks = 3;

// A reason with the file it names left out: `Cannot create file "…": Is a directory` is the same cause for every book.
QString Cause(const QString& reason) {
    static const QRegularExpression quotedFile(QStringLiteral(" \"[^\"]*\""));
    return QString(reason).remove(quotedFile);
}

} // namespace

QString FailedBooksText(const std::vector<FailedExport>& failed) {
    struct Group {
        QString reason; // the first book's, whole
        QStringList books;
    };
    std::vector<Group> groups; // in the order of their first book
    std::map<QString, std::size_t> byCause;
    for (const FailedExport& book : failed) {
        const QString reason = ErrorBoxText(DecodeUtf8(book.reason)).replace('\n', ' ');
        const auto [at, added] = byCause.try_emplace(Cause(reason), groups.size());
        if (added)
            groups.push_back({reason, {}});
        groups[at->second].books << DecodeUtf8(book.volumeId);
    }
    QString text;
    for (const Group& group : groups) {
        if (group.books.size() == 1) {
            text += "\n" + group.books.front() + ": " + group.reason;
            continue;
        }
        QString named = group.books.mid(0, kNamedBooks).join(", ");
        if (group.books.size() > kNamedBooks)
            named += " and " + Grouped(static_cast<std::size_t>(group.books.size() - kNamedBooks)) + " more";
        text += "\n" + Grouped(static_cast<std::size_t>(group.books.size())) + " books (" + named +
                "): " + Cause(group.reason);
    }
    return text;
}
