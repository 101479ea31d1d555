// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CPUInfos.h"

#include "cpu/FIDVIDControl.h"

CCPUInfos::~CCPUInfos()
{
    delete m_pControl;
    m_pControl = nullptr;
}
