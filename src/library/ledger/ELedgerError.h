#pragma once

#include <stdexcept>

// The ledger of a results folder is damaged, was written by a newer version, or is in use by another export: it is
// left as it is.
class ELedgerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Another export (or a sync) held the results folder longer than WritingFolderLock::kPatience.
class ELedgerBusy : public ELedgerError {
public:
    using ELedgerError::ELedgerError;
};
