// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/Timer.h"

#include <atomic>

#include "platform/Clock.h"

namespace {
std::atomic<uint64_t> s_qwMeasurementWindowNs{0};
}

uint64_t qwMeasurementWindowNs() { return s_qwMeasurementWindowNs.load(std::memory_order_relaxed); }

void vAddMeasurementWindow(double dSeconds)
{
    if (dSeconds > 0.0) s_qwMeasurementWindowNs.fetch_add(uint64_t(dSeconds * 1e9), std::memory_order_relaxed);
}

int CTimer::Calibrate(CTimer* pReference)
{
    if (!pReference || !(pReference->m_dFrequency > 0.0)) return 0;
    const double dWindow = pReference->m_dFrequency * 5.0 / 1000.0;
    const double dT0 = Read();
    const double dR0 = pReference->Read();
    if (dT0 < 0.0 || dR0 < 0.0) return 0;
    // A reference that stops counting would hold the loop for ever: give up after a second.
    platform::IClock& clock = platform::Clock();
    const uint64_t qwGiveUp = clock.qwNanoseconds() + 1000000000ull;
    for (;;) {
        double dR = pReference->Read();
        if (dR < 0.0 || clock.qwNanoseconds() > qwGiveUp) return 0;
        if (dR0 > dR) dR += pReference->m_dWrap;
        // Written so that an unordered comparison (a NaN) also ends the loop.
        if (!(dR - dR0 < dWindow)) break;
    }
    const double dT1 = Read();
    double dR1 = pReference->Read();
    if (dT1 < 0.0 || dR1 < 0.0) return 0;
    if (dR0 > dR1) dR1 += pReference->m_dWrap;
    vAddMeasurementWindow((dR1 - dR0) / pReference->m_dFrequency);
    m_dFrequency = (dT1 - dT0) * pReference->m_dFrequency / (dR1 - dR0);
    return 1;
}
