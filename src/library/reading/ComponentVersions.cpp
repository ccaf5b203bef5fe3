#include "ComponentVersions.h"

#include <sqlite3.h>
#include <unicode/uversion.h>

std::string SQLiteVersion() {
    return sqlite3_libversion();
}

std::string IcuVersion() {
    UVersionInfo version;
    u_getVersion(version);
    char text[U_MAX_VERSION_STRING_LENGTH];
    u_versionToString(version, text);
    return text;
}
