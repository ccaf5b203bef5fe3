#include "AnnotationWriter.h"

#include <ctime>

std::string TodayLocalDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    return std::string(date, std::strftime(date, sizeof date, "%Y-%m-%d", &local));
}

std::string AnnotationWriter::Render(const AnnotatedVolume& volume) const {
    StringSink bytes;
    Write(volume, bytes);
    return std::move(bytes.Bytes());
}
