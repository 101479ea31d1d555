// SPDX-License-Identifier: GPL-2.0-or-later
// The PCI scan on simulated boards: what it finds, where it looks, what a rescan keeps.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "PciTestKit.h"
#include "app/InterfaceCreation.h"
#include "discovery/PCICapabilities.h"
#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"

using pcitest::CPciKit;
using pcitest::strBoard;

namespace {

struct ConfigCycle {
    unsigned nBus, nDevice, nFunction, nOffset;
};

// The configuration addresses the program latched at 0xCF8, in order.
std::vector<ConfigCycle> ConfigCycles(sim::CSimBoard& board)
{
    std::vector<ConfigCycle> cycles;
    for (const sim::AccessRecord& r : board.Log().Records())
        if (r.eKind == sim::AccessKind::PortWrite && r.qwAddress == 0xCF8 && r.nWidth == 4 && (r.qwValue & 0x80000000))
            cycles.push_back({unsigned(r.qwValue >> 16 & 0xFF), unsigned(r.qwValue >> 11 & 31),
                              unsigned(r.qwValue >> 8 & 7), unsigned(r.qwValue & 0xFC)});
    return cycles;
}

std::vector<uint32_t> CapabilityIds(const CTList<CPCICapability>* pList, std::vector<uint32_t>* pOffsets = nullptr)
{
    std::vector<uint32_t> ids;
    for (auto* p = pList ? pList->m_pHead : nullptr; p && p->m_pObject; p = p->m_pNext) {
        ids.push_back(p->m_pObject->m_dwID);
        if (pOffsets) pOffsets->push_back(p->m_pObject->m_dwOffset);
    }
    return ids;
}

TEST(PciScan, FindsTheDemoBoardsFunctionsAndLooksThemUp)
{
    CPciKit kit;
    ASSERT_TRUE(kit.bReady());
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    EXPECT_EQ(pPCI->m_nBusDevices, 512);
    EXPECT_EQ(pPCI->m_nFunctions, 8);
    EXPECT_EQ(kit.nPCIDevices(), 8u);

    CPCIDevice* pSMBus = pPCI->FindDevice(0, 0x1F, 3);
    ASSERT_NE(pSMBus, nullptr);
    EXPECT_EQ(pSMBus->m_pCommonHeader->m_wVendorID, 0x8086);
    EXPECT_EQ(pSMBus->m_pCommonHeader->m_wDeviceID, 0x283E);
    EXPECT_EQ(pSMBus->m_pCommonHeader->m_bRevisionID, 0x02);
    EXPECT_STREQ(pSMBus->m_szDescription, "SMBus Controller");
    ASSERT_NE(dynamic_cast<CPCIHeaderType0*>(pSMBus->m_pHeader), nullptr);
    EXPECT_EQ(pSMBus->m_pHeader->GetSubsystemVendorID(), 0x1043);
    EXPECT_EQ(pSMBus->m_pHeader->GetSubsystemID(), 0x8277);
    EXPECT_EQ(static_cast<CPCIHeaderType0*>(pSMBus->m_pHeader)->m_dwBAR[4], 0x401u);
    EXPECT_EQ(pSMBus->Config()[0x40], 0x01);

    auto* pBridge = dynamic_cast<CPCIHeaderType1*>(pPCI->FindDevice(0, 1, 0)->m_pHeader);
    ASSERT_NE(pBridge, nullptr);
    EXPECT_EQ(pBridge->m_bSecondaryBus, 1);
    EXPECT_EQ(pBridge->m_bSubordinateBus, 1);

    CPCIDevice* pGraphics = pPCI->FindDeviceByID(0x10DE, 0x0391);
    ASSERT_NE(pGraphics, nullptr);
    EXPECT_EQ(pGraphics->m_bBus, 1);
    EXPECT_STREQ(pGraphics->m_szDescription, "VGA Controller");
    EXPECT_EQ(pPCI->FindDeviceByID(0x8086, 0x0391), nullptr);
    EXPECT_EQ(pPCI->FindDevice(0, 0x1F, 4), nullptr);

    CTList<CPCIDevice> usb;
    EXPECT_EQ(pPCI->CountDevicesByClass(0x0C, 0x03, &usb), 2u);
    ASSERT_EQ(usb.m_nCount, 2u);
    EXPECT_EQ(usb.m_pHead->m_pObject->m_bFunction, 0);
    EXPECT_EQ(usb.m_pHead->m_pNext->m_pObject->m_bFunction, 1);
    EXPECT_EQ(pPCI->CountDevicesByClass(0x03, 0x00), 1u);
    EXPECT_EQ(pPCI->CountDevicesByClass(0x02, 0x00), 0u);
}

TEST(PciScan, DecodesTheDemoBoardsCapabilitiesAndEnhancedSpace)
{
    CPciKit kit;
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    // The P965's register 0x60 gives the window.
    CPCIExpressIOSpace* pExpress = kit::FindPCIExpressSpace();
    ASSERT_NE(pExpress, nullptr);
    EXPECT_EQ(pExpress->m_dwBase, 0xF0000000u);

    CPCIDevice* pPort = pPCI->FindDevice(0, 1, 0);
    std::vector<uint32_t> offsets;
    EXPECT_EQ(CapabilityIds(pPort->Capabilities(), &offsets), (std::vector<uint32_t>{1, 5, 16}));
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0x80, 0x90, 0xA0}));
    EXPECT_EQ(pPort->CapsMask(), (1u << 1) | (1u << 5) | (1u << 16));
    auto* pExp = dynamic_cast<CPCICaps_PCIE*>(pPort->FindCapability(PCI_CAP_PCIE));
    ASSERT_NE(pExp, nullptr);
    EXPECT_EQ(pExp->m_nDeviceType, PCIE_TYPE_ROOT_PORT);
    EXPECT_EQ(pExp->m_nVersion, 1);
    EXPECT_EQ(pExp->m_nSlotImplemented, 1);
    EXPECT_EQ(pExp->m_nPortNumber, 2);
    EXPECT_EQ(pExp->m_nMaxLinkWidth, 16);
    EXPECT_EQ(pExp->m_nLinkWidth, 16);
    EXPECT_EQ(pExp->m_nPhysicalSlot, 2);
    EXPECT_EQ(pExp->m_nPresenceDetect, 1);
    auto* pPM = dynamic_cast<CPCICaps_PM*>(pPort->FindCapability(PCI_CAP_PM));
    ASSERT_NE(pPM, nullptr);
    EXPECT_EQ(pPM->m_nVersion, 2);
    ASSERT_NE(pPM->m_pData, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(pPM->m_pData, pPM->m_pData + 8),
              std::vector<uint8_t>(pPort->Config() + 0x80, pPort->Config() + 0x88));

    offsets.clear();
    EXPECT_EQ(CapabilityIds(pPort->ExtCapabilities(), &offsets), (std::vector<uint32_t>{1, 5}));
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0x100, 0x140}));
    EXPECT_EQ(pPort->ExtCapsMask(), (1u << 1) | (1u << 5));
    auto* pLinks = dynamic_cast<CPCICaps_RootLinkDecl*>(pPort->FindExtCapability(PCI_EXTCAP_ROOTLINKDECL));
    ASSERT_NE(pLinks, nullptr);
    EXPECT_EQ(pLinks->m_nPortNumber, 2);
    EXPECT_EQ(pLinks->m_nLinkEntries, 1);

    CPCIDevice* pGraphics = pPCI->FindDevice(1, 0, 0);
    EXPECT_EQ(CapabilityIds(pGraphics->Capabilities()), (std::vector<uint32_t>{1, 5, 16}));
    EXPECT_EQ(pGraphics->FindCapability(PCI_CAP_MSI)->m_nLength, 14);  // 64-bit message address
    auto* pEndpoint = dynamic_cast<CPCICaps_PCIE*>(pGraphics->FindCapability(PCI_CAP_PCIE));
    ASSERT_NE(pEndpoint, nullptr);
    EXPECT_EQ(pEndpoint->m_nDeviceType, PCIE_TYPE_ENDPOINT);
    EXPECT_EQ(pEndpoint->m_nSlotImplemented, -1);  // endpoints have no slot
    EXPECT_EQ(pGraphics->ExtCapabilities(), nullptr);  // the extended space is empty
    // Functions without a capability pointer have no list at all.
    EXPECT_EQ(pPCI->FindDevice(0, 0x1F, 3)->Capabilities(), nullptr);
}

TEST(PciScan, ProbesFunctionsOneToSevenOnlyOfMultiFunctionDevices)
{
    // Device 2 is single-function but decodes function 5 as well (a broken card); device 3
    // announces several functions and has function 5 only besides function 0; device 4 has
    // its function 0 switched off by the firmware (a south bridge's disabled SATA function in
    // front of its IDE function), so only probing on finds function 1.
    CPciKit kit(strBoard(R"({"at": "00:02.0", "id": "1111:0001", "header": 0},
                            {"at": "00:02.5", "id": "1111:0002", "header": 0},
                            {"at": "00:03.0", "id": "2222:0001", "header": "0x80"},
                            {"at": "00:03.5", "id": "2222:0002", "header": 0},
                            {"at": "00:04.1", "id": "3333:0001", "header": 0})"));
    ASSERT_TRUE(kit.bReady());
    kit.Board().Log().vClear();
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    EXPECT_EQ(pPCI->FindDevice(0, 2, 5), nullptr);
    EXPECT_NE(pPCI->FindDevice(0, 3, 5), nullptr);
    EXPECT_NE(pPCI->FindDevice(0, 4, 1), nullptr);
    EXPECT_EQ(kit.nPCIDevices(), 4u);
    std::set<unsigned> probed2, probed3;
    for (const ConfigCycle& c : ConfigCycles(kit.Board())) {
        if (c.nBus == 0 && c.nDevice == 2) probed2.insert(c.nFunction);
        if (c.nBus == 0 && c.nDevice == 3) probed3.insert(c.nFunction);
    }
    EXPECT_EQ(probed2, (std::set<unsigned>{0}));
    EXPECT_EQ(probed3, (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(PciScan, BehindBusZeroADeviceWithoutFunctionZeroIsNotProbedFurther)
{
    // 00:04 has its function 0 switched off and function 1 on, as a chipset may leave it; on
    // the other buses a device needs its function 0: 02:03.1 alone is no device. 02:05 is a
    // multi-function card and has all its functions probed.
    CPciKit kit(strBoard(R"({"at": "00:00.0", "id": "1111:0001", "header": 0},
                            {"at": "00:04.1", "id": "1111:0002", "header": 0},
                            {"at": "02:03.1", "id": "2222:0001", "header": 0},
                            {"at": "02:05.0", "id": "3333:0001", "header": "0x80"},
                            {"at": "02:05.2", "id": "3333:0002", "header": 0})"));
    ASSERT_TRUE(kit.bReady());
    kit.Board().Log().vClear();
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    EXPECT_NE(pPCI->FindDevice(0, 4, 1), nullptr);
    EXPECT_EQ(pPCI->FindDevice(2, 3, 1), nullptr);
    EXPECT_NE(pPCI->FindDevice(2, 5, 2), nullptr);
    EXPECT_EQ(kit.nPCIDevices(), 4u);
    std::map<unsigned, std::set<unsigned>> probed;  // bus << 5 | device → functions probed
    size_t nProbes = 0, nHeaderReads = 0;
    for (const ConfigCycle& c : ConfigCycles(kit.Board())) {
        if (c.nOffset == 0) {
            probed[c.nBus << 5 | c.nDevice].insert(c.nFunction);
            ++nProbes;
        } else {
            ++nHeaderReads;
        }
    }
    EXPECT_EQ(probed[4], (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(probed[2 << 5 | 3], (std::set<unsigned>{0}));
    EXPECT_EQ(probed[2 << 5 | 5], (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(probed[15 << 5 | 31], (std::set<unsigned>{0}));
    // Bus 0: eight probes a device but one for the single-function 00:00; buses 1 to 15: one
    // a device and seven more for 02:05. Then the 15 header dwords of each function found.
    EXPECT_EQ(nProbes, (32u * 8 - 7) + 15u * 32 + 7);
    EXPECT_EQ(nHeaderReads, 4u * 15);

    // A rescan still finds out about the other functions of a device whose function 0 went.
    CPCIDevice* pKept = pPCI->FindDevice(2, 5, 2);
    kit.Device().vHide(2, 5, 0);
    pPCI->Scan();
    EXPECT_EQ(pPCI->FindDevice(2, 5, 0), nullptr);
    EXPECT_EQ(pPCI->FindDevice(2, 5, 2), pKept);
    kit.Device().vHide(2, 5, 2);
    pPCI->Scan();
    EXPECT_EQ(pPCI->FindDevice(2, 5, 2), nullptr);
    EXPECT_EQ(kit.nPCIDevices(), 2u);
}

TEST(PciScan, ReadsTheHeaderAtTheScanAndTheRestOnFirstUse)
{
    // A CardBus bridge's header runs to 0x47; an ordinary function's to 0x3F.
    CPciKit kit(strBoard(R"({"at": "00:02.0", "id": "1111:0001", "header": 0,
                             "regs": {"0x06.b": "0x10", "0x34.b": "0x50", "0x50.w": "0x0001", "0x80.b": "0x5A"}},
                            {"at": "00:03.0", "id": "2222:0001", "header": 2})"));
    ASSERT_TRUE(kit.bReady());
    kit.Board().Log().vClear();
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    // Each header dword once: the probe's first dword serves as the image's offset 0.
    std::map<unsigned, std::multiset<unsigned>> offsets;
    for (const ConfigCycle& c : ConfigCycles(kit.Board()))
        if (c.nBus == 0 && c.nFunction == 0) offsets[c.nDevice].insert(c.nOffset);
    EXPECT_EQ(*offsets[2].rbegin(), 0x3Cu);
    EXPECT_EQ(offsets[2].size(), 16u);
    EXPECT_EQ(std::set<unsigned>(offsets[2].begin(), offsets[2].end()).size(), 16u);
    EXPECT_EQ(*offsets[3].rbegin(), 0x44u);
    EXPECT_EQ(offsets[3].size(), 18u);

    CPCIDevice* pDevice = pPCI->FindDevice(0, 2, 0);
    ASSERT_NE(pDevice, nullptr);
    EXPECT_FALSE(pDevice->m_bDetailsRead);
    kit.Board().Log().vClear();
    EXPECT_EQ(CapabilityIds(pDevice->Capabilities()), (std::vector<uint32_t>{1}));
    EXPECT_EQ(pDevice->Config()[0x80], 0x5A);
    const size_t nFirst = ConfigCycles(kit.Board()).size();
    EXPECT_EQ(nFirst, (256u - 0x40) / 4);  // the 48 dwords above the header, once
    pDevice->ReadDetails();
    EXPECT_EQ(ConfigCycles(kit.Board()).size(), nFirst);
}

TEST(PciScan, NeverLooksAboveBus15)
{
    CPciKit kit(strBoard(R"({"at": "0f:1f.0", "id": "1111:000f", "header": 0},
                            {"at": "10:00.0", "id": "1111:0010", "header": 0})"));
    ASSERT_TRUE(kit.bReady());
    kit.Board().Log().vClear();
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    EXPECT_NE(pPCI->FindDevice(15, 31, 0), nullptr);
    EXPECT_EQ(pPCI->FindDevice(16, 0, 0), nullptr);
    const std::vector<ConfigCycle> cycles = ConfigCycles(kit.Board());
    ASSERT_FALSE(cycles.empty());
    unsigned nHighestBus = 0;
    for (const ConfigCycle& c : cycles) nHighestBus = std::max(nHighestBus, c.nBus);
    EXPECT_EQ(nHighestBus, 15u);
}

TEST(PciScan, RescanRemovesVanishedFunctionsAndKeepsTheOthers)
{
    CPciKit kit;
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    CPCIDevice* pSMBus = pPCI->FindDevice(0, 0x1F, 3);
    ASSERT_NE(pSMBus, nullptr);
    const CPCIExpressIOSpace* pExpress = kit::FindPCIExpressSpace();

    kit.Device().vHide(0, 0x1D, 1);
    kit.Board().Log().vClear();
    pPCI->Scan();
    EXPECT_EQ(pPCI->FindDevice(0, 0x1D, 1), nullptr);
    EXPECT_EQ(kit.nPCIDevices(), 7u);
    EXPECT_EQ(kit.Kit().m_pDeviceList->m_nCount, 7u);
    EXPECT_EQ(pPCI->FindDevice(0, 0x1F, 3), pSMBus);  // the same record
    // Known functions are only asked for their vendor id again.
    for (const ConfigCycle& c : ConfigCycles(kit.Board()))
        EXPECT_EQ(c.nOffset, 0u) << c.nBus << ":" << c.nDevice << "." << c.nFunction;
    // The enhanced space is not looked for twice.
    EXPECT_EQ(kit::FindPCIExpressSpace(), pExpress);
    unsigned nSpaces = 0;
    for (auto* p = kit.Kit().m_pIOSpaceList->m_pHead; p && p->m_pObject; p = p->m_pNext)
        nSpaces += (p->m_pObject->m_dwType & IOSPACE_PCI_EXPRESS) == IOSPACE_PCI_EXPRESS;
    EXPECT_EQ(nSpaces, 1u);

    kit.Device().vShow(0, 0x1D, 1);
    pPCI->Scan();
    CPCIDevice* pBack = pPCI->FindDevice(0, 0x1D, 1);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(pBack->m_pCommonHeader->m_wDeviceID, 0x2831);
    EXPECT_EQ(kit.nPCIDevices(), 8u);
    // A function that came back with extended capabilities gets them through the known window.
    kit.Device().vHide(0, 1, 0);
    pPCI->Scan();
    kit.Device().vShow(0, 1, 0);
    pPCI->Scan();
    ASSERT_NE(pPCI->FindDevice(0, 1, 0), nullptr);
    EXPECT_EQ(CapabilityIds(pPCI->FindDevice(0, 1, 0)->ExtCapabilities()), (std::vector<uint32_t>{1, 5}));
}

TEST(PciScan, CapabilityChainsEndAtLowPointersAndAreCutAt48)
{
    // 00:04.0 points below 0x40; 00:05.0 loops on itself; 00:06.0: an unaligned pointer, an id
    // of 0 and an unknown id recorded as plain capabilities, then an id of 0xFF ends it.
    CPciKit kit(strBoard(R"({"at": "00:04.0", "id": "1111:0004", "regs": {"0x34.b": "0x3c", "0x3c.l": "0x00004001"}},
                            {"at": "00:05.0", "id": "1111:0005", "regs": {"0x34.b": "0x40", "0x40.w": "0x4009"}},
                            {"at": "00:06.0", "id": "1111:0006",
                             "regs": {"0x34.b": "0x43", "0x40.w": "0x5000", "0x50.w": "0x6033", "0x60.w": "0x70ff",
                                      "0x70.w": "0x0001"}},
                            {"at": "00:07.0", "id": "1111:0007", "header": "0x7f", "regs": {"0x34.b": "0x40",
                             "0x40.w": "0x0001"}})"));
    ASSERT_TRUE(kit.bReady());
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    EXPECT_EQ(pPCI->FindDevice(0, 4, 0)->Capabilities(), nullptr);
    EXPECT_EQ(pPCI->FindDevice(0, 4, 0)->CapsMask(), 0u);

    CPCIDevice* pLoop = pPCI->FindDevice(0, 5, 0);
    ASSERT_NE(pLoop->Capabilities(), nullptr);
    EXPECT_EQ(pLoop->Capabilities()->m_nCount, 48u);
    EXPECT_NE(dynamic_cast<CPCICaps_VD*>(pLoop->Capabilities()->m_pHead->m_pObject), nullptr);

    CPCIDevice* pMixed = pPCI->FindDevice(0, 6, 0);
    std::vector<uint32_t> offsets;
    EXPECT_EQ(CapabilityIds(pMixed->Capabilities(), &offsets), (std::vector<uint32_t>{0x00, 0x33}));
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0x40, 0x50}));
    EXPECT_EQ(pMixed->CapsMask(), (1u << 0) | (1u << (0x33 & 31)));
    EXPECT_EQ(typeid(*pMixed->Capabilities()->m_pHead->m_pObject), typeid(CPCICapability));

    // An unknown header layout has no header and so no capabilities.
    CPCIDevice* pOdd = pPCI->FindDevice(0, 7, 0);
    EXPECT_EQ(pOdd->m_pHeader, nullptr);
    EXPECT_EQ(pOdd->Capabilities(), nullptr);
    EXPECT_STREQ(pOdd->m_szDescription, "BaseClass 0x00, SubClass 0x00, PI 0x00");
}

TEST(PciScan, ExtendedChainsEndAtLowOffsetsAndNeverLoopForever)
{
    // An Intel 965 bridge places the window; 00:02.0 has an extended chain that loops on
    // 0x100, 00:03.0 one whose next offset falls below 0x100, 00:04.0 one with an id of 0.
    const std::string strExpress = R"("0x34.b": "0x40", "0x40.l": "0x00020010")";
    CPciKit kit(strBoard(R"({"at": "00:00.0", "id": "8086:29a0", "class": "060000", "regs": {"0x60.l": "0xe0000001"}},
                            {"at": "00:02.0", "id": "1111:0002", "regs": {)" + strExpress + R"(, "0x100.l": "0x1001000b",
                                "0x104.l": "0x00c10007"}},
                            {"at": "00:03.0", "id": "1111:0003", "regs": {)" + strExpress + R"(, "0x100.l": "0x18010003",
                                "0x180.l": "0x08010004"}},
                            {"at": "00:04.0", "id": "1111:0004", "regs": {)" + strExpress + R"(, "0x100.l": "0x14010000"}})",
                         "0xe0000000"));
    ASSERT_TRUE(kit.bReady());
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    ASSERT_NE(kit::FindPCIExpressSpace(), nullptr);
    EXPECT_EQ(kit::FindPCIExpressSpace()->m_dwBase, 0xE0000000u);

    CPCIDevice* pLoop = pPCI->FindDevice(0, 2, 0);
    ASSERT_NE(pLoop->ExtCapabilities(), nullptr);
    EXPECT_EQ(pLoop->ExtCapabilities()->m_nCount, 960u);
    auto* pVendor = dynamic_cast<CPCICaps_VendorSpecific*>(pLoop->ExtCapabilities()->m_pHead->m_pObject);
    ASSERT_NE(pVendor, nullptr);
    EXPECT_EQ(pVendor->m_nVendorID, 7);
    EXPECT_EQ(pVendor->m_nSize, 12);
    ASSERT_NE(pVendor->m_pData, nullptr);
    EXPECT_EQ(pVendor->m_pData[4], 0x07);

    std::vector<uint32_t> offsets;
    EXPECT_EQ(CapabilityIds(pPCI->FindDevice(0, 3, 0)->ExtCapabilities(), &offsets), (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0x100, 0x180}));
    EXPECT_EQ(pPCI->FindDevice(0, 4, 0)->ExtCapabilities(), nullptr);
}

TEST(PciScan, ConfigurationAccessIsRoutedByOffset)
{
    CPciKit kit;
    ASSERT_TRUE(kit.bReady());
    CPCIInterface pci;
    // Nothing registered: every access fails and a scan finds nothing.
    EXPECT_EQ(pci.ReadConfig(0, 0, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pci.WriteConfig(0, 0x1F, 3, 0x40, 1), 0u);
    pci.m_nBusDevices = 512;
    pci.m_nFunctions = 8;
    pci.Scan();
    EXPECT_EQ(kit.nPCIDevices(), 0u);

    CPCIInterface* pPCI = nullptr;
    ASSERT_TRUE(app::CreatePCIInterface(&kit.Kit()));
    pPCI = kit.Kit().m_pPCIInterface;
    EXPECT_EQ(pPCI->ReadConfig(0, 0, 0, 0), 0x29A08086u);
    EXPECT_EQ(pPCI->ReadConfig(0, 0x1F, 3, 0x0A) & 0xFFFF, 0x0C05u);
    EXPECT_EQ(pPCI->ReadConfig(0, 1, 0, 0x100), 0xFFFFFFFFu);  // no enhanced space yet
    EXPECT_EQ(pPCI->WriteConfig(0, 1, 0, 0x100, 0), 0u);
    pPCI->Scan();
    EXPECT_EQ(pPCI->ReadConfig(0, 1, 0, 0x100), 0x14010001u);
    EXPECT_EQ(pPCI->ReadConfig(0, 1, 0, 0x102), 0x1401u);
    EXPECT_EQ(pPCI->WriteConfig(0, 0x1F, 3, 0x42, 0), 0u);  // not a whole dword
    EXPECT_NE(pPCI->WriteConfig(0, 0x1F, 3, 0x40, 0x03), 0u);
    EXPECT_EQ(kit.Board().dwPeekConfig(0, 0x1F, 3, 0x40) & 0xFF, 0x03u);
    EXPECT_NE(pPCI->WriteConfig(0, 1, 0, 0x144, 0x05010100), 0u);
    EXPECT_EQ(kit.Board().dwPeekConfig(0, 1, 0, 0x144), 0x05010100u);
}

}  // namespace
