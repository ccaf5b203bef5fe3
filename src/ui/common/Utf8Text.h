#pragma once

#include <QString>

#include <filesystem>
#include <string>

// UTF-8 bytes as text; bytes that are not valid UTF-8 give empty text.
QString DecodeUtf8(const std::string& bytes);
std::string EncodeUtf8(const QString& text);

// File paths cross to the core as the file system's own bytes.
std::filesystem::path ToPath(const QString& path);
QString FromPath(const std::filesystem::path& path);
