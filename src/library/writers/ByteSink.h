#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where a writer's bytes go, a piece at a time: a file being written, or a string.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Take(std::string_view bytes) = 0;
};

class StringSink : public ByteSink {
public:
    void Take(std::string_view bytes) override { m_bytes += bytes; }
    std::string& Bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

// A writer's bytes, gathered a few dozen kilobytes at a time before they go on to the sink, so that the file of a big
// book is never held whole.
class ChunkedBytes {
public:
    explicit ChunkedBytes(ByteSink& sink) : m_sink(sink) { m_bytes.reserve(kChunk + kChunk / 2); }

    // What is gathered; append to it.
    std::string& Bytes() { return m_bytes; }
    // Hands on what is gathered once it fills a chunk; called between records.
    void Checkpoint() {
        if (m_bytes.size() >= kChunk)
            Finish();
    }
    // Hands on all that is gathered.
    void Finish() {
        m_sink.Take(m_bytes);
        m_bytes.clear();
    }

private:
    static constexpr std::size_t kChunk = std::size_t{64} << 10;
    ByteSink& m_sink;
    std::string m_bytes;
};
