#include "TStream.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

TMemoryStream::TMemoryStream(std::vector<std::byte> bytes) : m_bytes(std::move(bytes)) {}

void TMemoryStream::SetPosition(std::int64_t position) {
    m_position = std::clamp<std::int64_t>(position, 0, Size());
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t available = std::max<std::int64_t>(0, Size() - m_position);
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, available);
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

void TMemoryStream::Append(const void* bytes, std::size_t count) {
    const auto* first = static_cast<const std::byte*>(bytes);
    m_bytes.insert(m_bytes.end(), first, first + count);
    m_position = Size();
}

TFileStream::TFileStream(const std::filesystem::path& file) : m_file(std::fopen(file.c_str(), "rb")) {
    if (!m_file)
        throw std::runtime_error("Cannot open file \"" + file.string() + "\"");
    if (std::fseek(m_file.get(), 0, SEEK_END) != 0)
        throw std::runtime_error("Cannot seek in file \"" + file.string() + "\"");
    m_size = std::ftell(m_file.get());
    std::rewind(m_file.get());
}

void TFileStream::SetPosition(std::int64_t position) {
    m_position = std::clamp<std::int64_t>(position, 0, m_size);
    std::fseek(m_file.get(), static_cast<long>(m_position), SEEK_SET);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0)
        return 0;
    const auto n = static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), m_file.get()));
    m_position += n;
    return n;
}
