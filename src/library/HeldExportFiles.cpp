#include "HeldExportFiles.h"

#include "ExportFile.h"
#include "TemporaryFile.h"

// Gathers one file in memory until the budget of all held files is spent, then moves it to the spool and goes on
// there.
class HeldExportFiles::Sink : public ByteSink {
public:
    Sink(HeldExportFiles& files, Held& held) : m_files(files), m_held(held) {}

    void Take(std::string_view bytes) override {
        const HeldFilesBudget& budget = m_files.m_budget;
        if (!m_held.spooled && m_held.bytes.size() + bytes.size() <= budget.ofOne &&
            m_files.m_inMemory + bytes.size() <= budget.ofAll) {
            m_held.bytes += bytes;
            m_files.m_inMemory += bytes.size();
            return;
        }
        if (!m_held.spooled) {
            if (!m_files.m_spool)
                m_files.m_spool.emplace(m_files.m_folder);
            m_held.offset = m_files.m_spool->Append(m_held.bytes);
            m_held.length = m_held.bytes.size();
            m_held.spooled = true;
            m_files.m_inMemory -= m_held.bytes.size();
            std::string().swap(m_held.bytes);
        }
        m_files.m_spool->Append(bytes);
        m_held.length += bytes.size();
    }

private:
    HeldExportFiles& m_files;
    Held& m_held;
};

std::size_t HeldExportFiles::Hold(const AnnotationWriter& writer, const AnnotatedVolume& volume) {
    Held& held = m_files.emplace_back();
    Sink sink(*this, held);
    // A spooled file's bytes follow one another: nothing else is appended to the spool meanwhile.
    writer.Write(volume, sink);
    return m_files.size() - 1;
}

FileFiller HeldExportFiles::Contents(std::size_t file) const {
    return [this, file](TemporaryFile& into, const std::filesystem::path& name) {
        const Held& held = m_files[file];
        if (held.spooled)
            m_spool->CopyTo(into, name, held.offset, held.length);
        else
            FileSink(into, name).Take(held.bytes);
    };
}

void HeldExportFiles::Release(std::size_t file) {
    Held& held = m_files[file];
    m_inMemory -= held.bytes.size();
    std::string().swap(held.bytes);
}

void HeldExportFiles::Clear() {
    m_files.clear();
    m_inMemory = 0;
    m_spool.reset();
}
