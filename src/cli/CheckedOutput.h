#pragma once

#include <streambuf>

// Hands every byte on to another stream buffer and keeps the reason of the first write that failed: by the time a
// run ends, later file and database calls have long since changed errno.
class CheckedOutputBuffer : public std::streambuf {
public:
    explicit CheckedOutputBuffer(std::streambuf& target) : m_target(target) {}

    bool Failed() const { return m_failed; }
    // The error number of the first failed write; 0 when the system gave none.
    int Error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    bool Check(bool succeeded);

    std::streambuf& m_target;
    bool m_failed = false;
    int m_error = 0;
};
