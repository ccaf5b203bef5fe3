#include "TemplateAnnotationWriter.h"

#include "NoteText.h"

void TemplateAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    sink.Take(NoteText(m_templates->Render(volume, m_exportDate)));
}
