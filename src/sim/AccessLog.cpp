// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/AccessLog.h"

namespace sim {

namespace {
// A board that runs for hours (the monitor thread reads the clocks every second) must not
// grow its log without end: past this many records the older half is dropped.
constexpr size_t MAX_RECORDS = size_t(1) << 20;
}  // namespace

void CAccessLog::vAppend(const AccessRecord& record)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_bEnabled)
        return;
    if (m_Records.size() >= MAX_RECORDS)
        m_Records.erase(m_Records.begin(), m_Records.begin() + MAX_RECORDS / 2);
    m_Records.push_back(record);
}

void CAccessLog::vClear()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Records.clear();
}

void CAccessLog::vSetEnabled(bool bEnabled)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bEnabled = bEnabled;
}

std::vector<AccessRecord> CAccessLog::Records() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Records;
}

}  // namespace sim
