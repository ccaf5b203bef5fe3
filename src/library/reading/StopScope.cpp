#include "StopScope.h"

#include "InterruptScope.h"

StopScope::StopScope(const std::atomic<bool>& stop) : m_interrupt(std::make_unique<InterruptScope>(stop)) {}

StopScope::~StopScope() = default;
