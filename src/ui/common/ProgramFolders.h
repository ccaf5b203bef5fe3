#pragma once

#include <QString>

// The window's own folder (results/, the database copy "from program folder") when none is given: the executable's
// folder where its user can write there (a build folder, a portable copy), else the user's data folder, made if
// missing (a program installed under /usr).
QString DefaultProgramFolder(const QString& executableFolder);
