#include "NumberedNamesRun.h"

namespace {

thread_local NumberedNamesRun* t_run = nullptr;

} // namespace

NumberedNamesRun::NumberedNamesRun() : m_outer(t_run) {
    t_run = this;
}

NumberedNamesRun::~NumberedNamesRun() {
    t_run = m_outer;
}

NumberedNamesRun* NumberedNamesRun::Current() {
    return t_run;
}

int NumberedNamesRun::From(const std::string& base) const {
    const auto found = m_firstFree.find(base);
    return found == m_firstFree.end() ? 0 : found->second;
}

void NumberedNamesRun::Found(const std::string& base, int number) {
    m_firstFree[base] = number;
}
