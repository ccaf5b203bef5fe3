#include "DatabaseFailure.h"

#include "ESQLiteException.h"

bool IsNotADatabase(const std::exception_ptr& failure) {
    if (!failure)
        return false;
    try {
        std::rethrow_exception(failure);
    } catch (const ESQLiteException& error) {
        return error.IsNotADatabase();
    } catch (...) {
        return false;
    }
}
