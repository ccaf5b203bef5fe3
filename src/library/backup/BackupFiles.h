#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// Backups of a reader's database are named after the local date and time they were made,
// KoboReader-YYYY-MM-DD-HHMMSS.sqlite, and a later one of the same second KoboReader-YYYY-MM-DD-HHMMSS-N.sqlite (N
// from 2 on). Only files so named count as backups; nothing else in their folder is ever touched.

// The name of the variant-th backup made in the second of time (1: the plain name).
std::string BackupFileName(std::time_t time, int variant = 1);

// The backups in folder, oldest first: by their date and time, then their variant.
std::vector<std::filesystem::path> ListBackups(const std::filesystem::path& folder);
