#pragma once

#include "AnnotatedVolume.h"

// Whether the volume's bookmarks that have a colour are all grey. Greyscale readers store grey for every highlight,
// so there the colour says nothing and the formats that show colours leave it out. It is decided from the exported
// bookmarks: a reading of one volume is all a writer sees of the database.
bool EveryColorIsGrey(const AnnotatedVolume& volume);
