// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A controller object of another class made for one transaction on the same register block,
// as some controllers run part of their transactions through a sibling class. The object
// opens the shared controller lock and its destructor releases it once: it takes the lock
// once first (a recursive take inside the caller's own transaction), so that this release
// does not give up the caller's hold in the middle of the transaction. Whatever the sibling's
// transaction failed of is the owner's failure: it is handed to the owner as the object goes.
#include <cstdint>

#include "platform/NamedMutex.h"
#include "smbus/SMBusIOSpace.h"

namespace smbus {

template <typename TController>
class CTemporaryController {
public:
    explicit CTemporaryController(CSMBusIOSpace& owner) : m_Owner(owner), m_Controller(uint16_t(owner.m_dwBase))
    {
        m_bHeld = platform::WaitForSingleObject(m_Controller.m_hMutex, platform::INFINITE) != platform::WAIT_FAILED;
    }
    ~CTemporaryController()
    {
        m_Owner.vSetFailure(m_Controller.eLastFailure());
        if (!m_bHeld)  // nothing was taken: keep the destructor from releasing the caller's hold
            m_Controller.m_hMutex = nullptr;
    }
    CTemporaryController(const CTemporaryController&) = delete;
    CTemporaryController& operator=(const CTemporaryController&) = delete;

    TController* operator->() { return &m_Controller; }

private:
    CSMBusIOSpace& m_Owner;
    TController m_Controller;
    bool m_bHeld = false;
};

}  // namespace smbus
