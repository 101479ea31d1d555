// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit on a simulated board, with the driver initialised and its device open, for tests
// that exercise the I/O spaces and the driver through the emulated hardware.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "KitOnDevice.h"
#include "sim/SimAccessDevice.h"

class CSimKit {
public:
    explicit CSimKit(const std::string& strBoard = "demo")
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::Load(strBoard, strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load board " << strBoard << ": " << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
    }

    bool bReady() const { return m_pSim != nullptr; }
    sim::CSimBoard& Board() { return m_pSim->Board(); }
    CDeviceDriver& Driver() { return m_pKit->Driver(); }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
};
