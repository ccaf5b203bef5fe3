#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

// Base of every object that may be handed to the binding as an object value.
class TObject {
public:
    virtual ~TObject() = default;
};

// A byte stream with a position, read from the position onwards.
class TStream : public TObject {
public:
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    // Reads up to count bytes at the position into buffer, advances the position, returns the bytes read.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
};

// A stream over bytes held in memory; its bytes can be bound in place.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::byte> bytes);

    std::int64_t Size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
    std::int64_t Position() const override { return m_position; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Read(void* buffer, std::int64_t count) override;

    // Appends bytes at the end and leaves the position at the end.
    void Append(const void* bytes, std::size_t count);
    const std::byte* Memory() const { return m_bytes.data(); }

private:
    std::vector<std::byte> m_bytes;
    std::int64_t m_position = 0;
};

// A read-only stream over a file on disk.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::filesystem::path& file);

    std::int64_t Size() const override { return m_size; }
    std::int64_t Position() const override { return m_position; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Read(void* buffer, std::int64_t count) override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::int64_t m_size = 0;
    std::int64_t m_position = 0;
};
