#include "CheckedOutput.h"

#include <cerrno>

CheckedOutputBuffer::int_type CheckedOutputBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    errno = 0;
    const bool written = !traits_type::eq_int_type(m_target.sputc(traits_type::to_char_type(c)), traits_type::eof());
    return Check(written) ? c : traits_type::eof();
}

std::streamsize CheckedOutputBuffer::xsputn(const char* bytes, std::streamsize count) {
    errno = 0;
    const std::streamsize written = m_target.sputn(bytes, count);
    Check(written == count);
    return written;
}

int CheckedOutputBuffer::sync() {
    errno = 0;
    return Check(m_target.pubsync() == 0) ? 0 : -1;
}

bool CheckedOutputBuffer::Check(bool succeeded) {
    if (!succeeded && !m_failed) {
        m_failed = true;
        m_error = errno;
    }
    return succeeded;
}
