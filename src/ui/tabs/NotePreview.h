#pragma once

#include "ReadingOptions.h"
#include "TemplateSources.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class LoadedLibrary;

// A book's note as "sync notes" would first write it with the chosen template set: its file name above, its Markdown
// below. It is rendered only while it is shown, from the template files as they are then, so that a user editing a
// template sees the change on the next book or on coming back to the preview.
class NotePreview : public QWidget {
    Q_OBJECT

public:
    // reading: the user's reading options; the note is read as a sync reads it, whatever they say of deleted ones.
    explicit NotePreview(std::function<ReadingOptions()> reading, QWidget* parent = nullptr);

    void SetLibrary(std::shared_ptr<const LoadedLibrary> library);
    void SetVolume(const QString& volumeId);
    void SetTemplateSet(const QString& name);

    QLabel* NoteName() const { return m_name; }
    QPlainTextEdit* Text() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Render();

    std::shared_ptr<const LoadedLibrary> m_library;
    std::function<ReadingOptions()> m_reading;
    QString m_volumeId;
    QString m_templateSet = QString::fromUtf8(kDefaultTemplateSet.data(), kDefaultTemplateSet.size());
    QLabel* m_name;
    QPlainTextEdit* m_text;
};
