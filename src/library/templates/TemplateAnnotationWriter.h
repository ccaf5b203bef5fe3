#pragma once

#include "AnnotationWriter.h"
#include "TemplateSet.h"

#include <memory>
#include <string>

// A Markdown file rendered by a template set: the note's whole file (NoteText), UTF-8 with LF line ends.
class TemplateAnnotationWriter : public AnnotationWriter {
public:
    // exportDate: what the templates' exportDate gives, YYYY-MM-DD; today's local date unless given.
    explicit TemplateAnnotationWriter(std::shared_ptr<const TemplateSet> templates,
                                      std::string exportDate = TodayLocalDate())
        : m_templates(std::move(templates)), m_exportDate(std::move(exportDate)) {}

    void Write(const AnnotatedVolume& volume, ByteSink& sink) const override;

private:
    std::shared_ptr<const TemplateSet> m_templates;
    std::string m_exportDate;
};
