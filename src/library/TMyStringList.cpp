#include "TMyStringList.h"

#include "ReplaceFile.h"

void TMyStringList::SaveToUnicodeFile(const std::filesystem::path& file) const {
    ReplaceFile(file, m_lines, "\r\n");
}
