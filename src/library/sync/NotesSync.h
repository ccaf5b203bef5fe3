#pragma once

#include "AnnotationSource.h"
#include "NotesFolder.h"
#include "ProgressReporter.h"
#include "SyncTally.h"
#include "TemplateSet.h"

#include <functional>

// The reading a sync needs whatever the user's options: every field for the templates, and the highlights deleted on
// the reader, so that their blocks are marked rather than left behind.
ReadingOptions SyncReading(ReadingOptions options);

// What a whole sync is asked to do.
struct NotesSyncRequest {
    const TemplateSet& templates;
    ReadingOptions reading;
    bool dryRun = false;     // plan every note, write none
    bool retemplate = false; // notes that exist are rendered with templates too, not with the set they name
};

// Syncs the note of every book the library lists into folder, one book after another, each note with the template
// set it names (a new note, or any with retemplate, with the request's): each book's note is planned
// and (unless dry) written, and told, failed or not, before the next is read. A book that fails is told with its error
// and the others go on. Stops between books when progress asks (tally.stopped), leaving the rest as they are.
// Progress counts books.
SyncTally SyncAllNotes(const AnnotationSource& library, NotesFolder& folder, const NotesSyncRequest& request,
                       ProgressReporter& progress, const std::function<void(const PlannedNote&)>& told);
