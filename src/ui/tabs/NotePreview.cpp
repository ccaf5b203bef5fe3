#include "NotePreview.h"

#include "AnnotationWriter.h"
#include "LoadedLibrary.h"
#include "NamedWidgets.h"
#include "NoteMerge.h"
#include "NotesFolder.h"
#include "NotesSync.h"
#include "TemplateSet.h"
#include "Utf8Text.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>

NotePreview::NotePreview(std::function<ReadingOptions()> reading, QWidget* parent)
    : QWidget(parent), m_reading(std::move(reading)), m_name(Named<QLabel>("notePreviewName")),
      m_text(Named<QPlainTextEdit>("notePreviewText")) {
    setObjectName("notePreview");
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long name wraps rather than widening the pane against the table beside it.
    m_name->setWordWrap(true);
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 4, 0, 0);
    column->addWidget(m_name);
    column->addWidget(m_text, 1);
}

void NotePreview::SetLibrary(std::shared_ptr<const LoadedLibrary> library) {
    m_library = std::move(library);
}

void NotePreview::SetVolume(const QString& volumeId) {
    m_volumeId = volumeId;
    if (isVisible())
        Render();
}

void NotePreview::SetTemplateSet(const QString& name) {
    m_templateSet = name;
    if (isVisible())
        Render();
}

void NotePreview::showEvent(QShowEvent* event) {
    Render();
    QWidget::showEvent(event);
}

void NotePreview::Render() {
    m_name->clear();
    m_text->clear();
    if (m_volumeId.isEmpty() || !m_library) {
        m_name->setText("Choose a book to see its note.");
        return;
    }
    // A set that cannot render says why in place of the note, as the sync would before writing anything.
    try {
        const std::shared_ptr<const TemplateSet> templates = TemplateSet::Named(EncodeUtf8(m_templateSet));
        SilentProgress silent;
        const std::optional<AnnotatedVolume> volume =
            m_library->ReadVolume(EncodeUtf8(m_volumeId), SyncReading(m_reading()), silent);
        if (!volume) {
            m_name->setText("The database file is gone.");
            return;
        }
        const RenderedNote rendered = templates->Render(*volume, TodayLocalDate());
        m_name->setText(DecodeUtf8(NoteFileName(rendered.name)) + " (template set \"" + m_templateSet + "\")");
        m_text->setPlainText(DecodeUtf8(NewNote(rendered).text));
    } catch (const std::exception& error) {
        m_name->setText("This note cannot be previewed:");
        m_text->setPlainText(DecodeUtf8(error.what()));
    }
}
