#pragma once

#include "ProgressReporter.h"
#include "ReadingStatistics.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

// Far longer than a real backup takes to read (a few seconds for the largest libraries).
constexpr std::chrono::milliseconds kBackupReadingBudget{60'000};

// The reading statistics of database together with those of the given backups (oldest first, as ListBackups gives
// them): each read as every action reads a reader database, never written. Facts of a book come from the newest
// database that has the book, the loaded one counting as the newest; a session found in several databases counts
// once, by its Id. A backup that cannot be read is counted, warned about and left out; errors of database itself go
// on to the caller. Each backup is read within backupBudget: one that takes longer (a view made to run without end,
// a damaged file read forever) is left out the same way. Nothing when database names no file.
std::optional<ReadingStatistics> ReadReadingStatistics(const std::filesystem::path& database,
                                                       const std::vector<std::filesystem::path>& backups,
                                                       ProgressReporter& progress,
                                                       std::chrono::milliseconds backupBudget = kBackupReadingBudget);
