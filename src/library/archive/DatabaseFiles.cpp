#include "DatabaseFiles.h"

#include "ArchiveTime.h"
#include "EFileError.h"

#include <openssl/evp.h>

#include <fstream>
#include <memory>
#include <vector>

namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const noexcept { EVP_MD_CTX_free(context); }
};

void Feed(EVP_MD_CTX* context, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw EFileError("Cannot read " + file.string());
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        EVP_DigestUpdate(context, buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        throw EFileError("Cannot read " + file.string());
}

} // namespace

DatabaseFiles DatabaseFiles::Of(const std::filesystem::path& database) {
    DatabaseFiles files;
    std::error_code error;
    files.path = std::filesystem::canonical(database, error);
    if (error)
        files.path = std::filesystem::absolute(database);
    files.fileSize = static_cast<std::int64_t>(std::filesystem::file_size(files.path, error));
    files.fileTime = FileTimeText(files.path);
    const std::filesystem::path wal = files.path.string() + "-wal";
    if (const auto size = std::filesystem::file_size(wal, error); !error && size > 0) {
        files.walSize = static_cast<std::int64_t>(size);
        files.walTime = FileTimeText(wal);
    }
    return files;
}

std::string DatabaseFiles::Sha256() const {
    const std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
    EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
    Feed(context.get(), path);
    if (walSize > 0)
        Feed(context.get(), path.string() + "-wal");
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int k = 0; k < length; ++k) {
        hex += kHex[digest[k] >> 4];
        hex += kHex[digest[k] & 15];
    }
    return hex;
}
