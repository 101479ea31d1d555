// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ACPI power management timer: a 24-bit counter at 3.579545 MHz behind an I/O port
// that the firmware's FADT names.
#include <cstdint>

#include "kit/Timer.h"

class CPortIOSpace;

class CACPITimer : public CTimer {
public:
    static constexpr double NOMINAL_FREQUENCY = 3579545.0;
    static constexpr uint32_t COUNT_MASK = 0xFFFFFF;

    // Creates the 4-port space at wPort and registers it with the kit, which owns it.
    explicit CACPITimer(uint16_t wPort);

    // The driver measures the counter (the reference is not used). Non-zero when the
    // measurement gave a frequency, which then replaces the nominal one.
    int Calibrate(CTimer* pReference) override;
    // The low 24 bits of the port, whatever width the firmware announces; -1.0 when the read
    // fails (all ones).
    double Read() override;

    uint16_t wPort() const;

    CPortIOSpace* m_pPort;
};
