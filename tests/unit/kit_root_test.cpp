// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <thread>

#include "app/InterfaceCreation.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/Timer.h"

namespace {

// An interface whose destruction and closing can be counted.
struct CCountingInterface : CInterface {
    CCountingInterface(uint32_t dwType, int* pnDestroyed, int* pnClosed)
        : CInterface(dwType), m_pnDestroyed(pnDestroyed), m_pnClosed(pnClosed) {}
    ~CCountingInterface() override { ++*m_pnDestroyed; }
    uint32_t Init() override { return 1; }
    void Close() override { ++*m_pnClosed; }
    int* m_pnDestroyed;
    int* m_pnClosed;
};

struct CCountingDevice : CDevice {
    explicit CCountingDevice(int* pn) : CDevice(DEVICE_PCI), m_pn(pn) {}
    ~CCountingDevice() override { ++*m_pn; }
    void Dump() override {}
    int* m_pn;
};

class KitRoot : public ::testing::Test {
protected:
    void SetUp() override { ORVEXSDK::Destroy(); }
    void TearDown() override { ORVEXSDK::Destroy(); }
};

TEST_F(KitRoot, InstanceIsOneRootUntilDestroyed)
{
    ORVEXSDK* pFirst = ORVEXSDK::Instance();
    EXPECT_EQ(pFirst, ORVEXSDK::Instance());
    int nDestroyed = 0, nClosed = 0;
    pFirst->AddInterface(new CCountingInterface(INTERFACE_PCI, &nDestroyed, &nClosed));
    ORVEXSDK::Destroy();
    EXPECT_EQ(nDestroyed, 1);

    ORVEXSDK* pSecond = ORVEXSDK::Instance();
    EXPECT_EQ(pSecond->m_pInterfaceList->m_nCount, 0u);
    EXPECT_EQ(pSecond->FindInterface(INTERFACE_PCI), nullptr);
    EXPECT_EQ(pSecond->m_pDriver, nullptr);
    EXPECT_EQ(pSecond->m_pTrace, nullptr);
}

TEST_F(KitRoot, FindInterfaceComparesTypesForEquality)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    int nDestroyed = 0, nClosed = 0;
    auto* pPLL = new CCountingInterface(INTERFACE_PLL, &nDestroyed, &nClosed);
    auto* pBuffer = new CCountingInterface(INTERFACE_MEMORY_BUFFER, &nDestroyed, &nClosed);
    pKit->AddInterface(pPLL);
    pKit->AddInterface(pBuffer);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_IC), nullptr);  // 16 is in neither 17 nor 18 as a value
    EXPECT_EQ(pKit->FindInterface(INTERFACE_PLL), pPLL);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_MEMORY_BUFFER), pBuffer);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_PCI), nullptr);  // 17 & 1 is set, but 17 is not 1

    pKit->CloseInterfaces();
    EXPECT_EQ(nClosed, 2);
    EXPECT_EQ(nDestroyed, 0);
}

TEST_F(KitRoot, InterfacesThisBuildCannotCreateLeaveNoTrace)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    EXPECT_EQ(app::CreatePLLInterface(pKit), 0u);
    EXPECT_EQ(pKit->m_pPLLInterface, nullptr);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_PLL), nullptr);
    EXPECT_EQ(pKit->m_pInterfaceList->m_nCount, 0u);
}

TEST_F(KitRoot, FindIOSpaceMatchesBaseAndExactTypeOrAny)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    auto* pPorts = new CPortIOSpace(0x400, 32);
    auto* pPCI = new CPCIIOSpace;
    pKit->AddIOSpace(pPorts);
    pKit->AddIOSpace(pPCI);
    EXPECT_EQ(pKit->FindIOSpace(0x400, IOSPACE_PORT), pPorts);
    EXPECT_EQ(pKit->FindIOSpace(0x400, IOSPACE_SMBUS_PORTS), nullptr);
    EXPECT_EQ(pKit->FindIOSpace(0xCF8, 0xFFFFFFFF), pPCI);
    EXPECT_EQ(pKit->FindIOSpace(0xCF8, IOSPACE_PORT), nullptr);  // flags must be equal, not contained
}

TEST_F(KitRoot, DestroyFreesEveryListedElement)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    int nDevices = 0;
    pKit->AddDevice(new CCountingDevice(&nDevices));
    pKit->AddDevice(new CCountingDevice(&nDevices));
    pKit->AddTimer(new CTimer(1000.0, 0.0));
    ORVEXSDK::Destroy();
    EXPECT_EQ(nDevices, 2);
}

TEST_F(KitRoot, LockSucceedsOnlyWithTheMutexFree)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_TRUE(pKit->Lock(100));
    EXPECT_TRUE(pKit->Lock(100));  // recursive for the owner
    bool bOtherGotIt = true;
    std::thread([&] { bOtherGotIt = pKit->Lock(50); }).join();
    EXPECT_FALSE(bOtherGotIt);  // timed out
    pKit->Unlock();
    pKit->Unlock();
    std::thread([&] {
        bOtherGotIt = pKit->Lock(50);
        if (bOtherGotIt) pKit->Unlock();
    }).join();
    EXPECT_TRUE(bOtherGotIt);
}

TEST_F(KitRoot, LockFailsOnAnAbandonedMutex)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    std::thread([&] { ASSERT_TRUE(pKit->Lock(100)); }).join();  // ends while holding the lock
    EXPECT_FALSE(pKit->Lock(100));                               // WAIT_ABANDONED is not success
    // The failed Lock must not keep the mutex it was handed: another thread takes it at once.
    bool bOtherGotIt = false;
    std::thread([&] {
        bOtherGotIt = pKit->Lock(50);
        if (bOtherGotIt) pKit->Unlock();
    }).join();
    EXPECT_TRUE(bOtherGotIt);
}

TEST(KitList, DeleteAllKeepsItemsAndSearchesStopAtAnEmptyOne)
{
    CTList<CDevice> list;
    int nDestroyed = 0;
    auto* pFirst = new CCountingDevice(&nDestroyed);
    list.Append(pFirst);
    list.Append(new CCountingDevice(&nDestroyed));
    EXPECT_EQ(list.m_nCount, 2u);
    EXPECT_EQ(list.Find([](CDevice*) { return true; }), pFirst);

    list.DeleteAll();
    EXPECT_EQ(nDestroyed, 2);
    EXPECT_EQ(list.m_nCount, 2u);
    ASSERT_NE(list.m_pHead, nullptr);
    EXPECT_EQ(list.m_pHead->m_pObject, nullptr);
    EXPECT_EQ(list.Find([](CDevice*) { return true; }), nullptr);
}

TEST(KitList, RemoveUnlinksAndDestroysOneElement)
{
    CTList<CDevice> list;
    int nDestroyed = 0;
    CDevice* apDevices[3];
    for (CDevice*& p : apDevices) list.Append(p = new CCountingDevice(&nDestroyed));
    EXPECT_TRUE(list.Remove(apDevices[1]));
    EXPECT_EQ(nDestroyed, 1);
    EXPECT_EQ(list.m_nCount, 2u);
    EXPECT_EQ(list.m_pHead->m_pNext->m_pObject, apDevices[2]);
    EXPECT_FALSE(list.Remove(apDevices[1]));
    list.DeleteAll();
}

}  // namespace
