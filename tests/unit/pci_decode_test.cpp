// SPDX-License-Identifier: GPL-2.0-or-later
// Decoding without a scan: class names, the enhanced-window rules of the north bridges, the
// capability classes and the dumps.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "PciTestKit.h"
#include "discovery/PCICapabilities.h"
#include "discovery/PCIClassNames.h"
#include "discovery/PCIEnhancedBase.h"
#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"

using pcitest::CPciKit;
using pcitest::CTraceCapture;
using pcitest::strBoard;

namespace {

std::string strDescribe(uint8_t bBase, uint8_t bSub, uint8_t bProgIf)
{
    char sz[512];
    discovery::vDescribePCIClass(bBase, bSub, bProgIf, sz, sizeof sz);
    return sz;
}

TEST(PciClassNames, NamesFollowBaseSubClassAndInterface)
{
    EXPECT_EQ(strDescribe(0x0C, 0x03, 0x20), "USB 2.0 Controller (EHCI)");
    EXPECT_EQ(strDescribe(0x0C, 0x03, 0x40), "USB Controller");  // unknown interface: the sub-class
    EXPECT_EQ(strDescribe(0x12, 0x00, 0x00), "BaseClass 0x12, SubClass 0x00, PI 0x00");
    EXPECT_EQ(strDescribe(0x00, 0x01, 0x00), "BaseClass 0x00, SubClass 0x01, PI 0x00");
    EXPECT_EQ(strDescribe(0xFF, 0xFF, 0x00), "BaseClass 0xFF, SubClass 0xFF, PI 0x00");
    EXPECT_EQ(strDescribe(0x06, 0x80, 0x00), "Bridge device");  // unknown sub-class: the base class
    EXPECT_EQ(strDescribe(0x08, 0x80, 0x00), "System Device");
    EXPECT_EQ(strDescribe(0x01, 0x01, 0x8A), "IDE Controller");
    EXPECT_EQ(strDescribe(0x07, 0x01, 0xFE), "Parallel IEEE1284 Target");
    // A short buffer is cut, never overrun.
    char sz[8];
    discovery::vDescribePCIClass(0x0C, 0x03, 0x20, sz, sizeof sz);
    EXPECT_STREQ(sz, "USB 2.0");
}

uint32_t dwBaseFor(uint16_t wVendor, uint16_t wDevice, uint32_t dwValue)
{
    const discovery::EnhancedBaseRule* pRule = discovery::pFindEnhancedBaseRule(wVendor, wDevice);
    return pRule ? discovery::dwDeriveEnhancedBase(*pRule, dwValue) : 0xDEADBEEF;
}

TEST(PciEnhancedBase, RulesOfTheNorthBridges)
{
    EXPECT_EQ(discovery::pFindEnhancedBaseRule(0x8086, 0x2770)->bRegister, 0x48);
    EXPECT_EQ(discovery::pFindEnhancedBaseRule(0x8086, 0x29A0)->bRegister, 0x60);
    EXPECT_EQ(discovery::pFindEnhancedBaseRule(0x1106, 0x5238)->bRegister, 0x61);
    EXPECT_EQ(discovery::pFindEnhancedBaseRule(0x8086, 0x29A1), nullptr);  // a root port, not a bridge
    EXPECT_EQ(discovery::pFindEnhancedBaseRule(0x10DE, 0x2770), nullptr);  // the id of another vendor

    EXPECT_EQ(dwBaseFor(0x8086, 0x2770, 0xE0000001), 0xE0000000u);
    EXPECT_EQ(dwBaseFor(0x8086, 0x3590, 0x0000E000), 0xE0000000u);  // 64 KiB units
    EXPECT_EQ(dwBaseFor(0x10DE, 0x02F0, 0x00000070), 0xE0000000u);  // bits 3 to 10
    EXPECT_EQ(dwBaseFor(0x10DE, 0x02F0, 0x00000088), 0x10000000u);  // bits beyond 31 are lost
    EXPECT_EQ(dwBaseFor(0x1002, 0x7930, 0xE0300000), 0xE0200000u);
    EXPECT_EQ(dwBaseFor(0x1106, 0x5351, 0x000000EE), 0xE0000000u);
}

TEST(PciEnhancedBase, TheLastKnownBridgeWithABaseRegistersTheSpace)
{
    // The nVidia bridge says 0xD0000000 at 0x90, the later Intel one 0xE0000000 at 0x48; a VIA
    // bridge that says nothing (0) changes nothing.
    CPciKit kit(strBoard(R"({"at": "00:00.0", "id": "10de:005e", "regs": {"0x90.l": "0x0000000d"}},
                            {"at": "00:01.0", "id": "8086:2770", "regs": {"0x48.l": "0xe0000001"}},
                            {"at": "00:02.0", "id": "1106:5238", "regs": {"0x60.l": "0x00000000"}})",
                         "0xe0000000"));
    ASSERT_NE(kit.pScan(), nullptr);
    ASSERT_NE(kit::FindPCIExpressSpace(), nullptr);
    EXPECT_EQ(kit::FindPCIExpressSpace()->m_dwBase, 0xE0000000u);
}

TEST(PciEnhancedBase, NoSpaceWithoutAKnownBridgeOrWhenTheRegisterReadsAllOnes)
{
    {
        CPciKit kit(strBoard(R"({"at": "00:00.0", "id": "8086:0d57", "class": "060000"})"));
        ASSERT_NE(kit.pScan(), nullptr);
        EXPECT_EQ(kit::FindPCIExpressSpace(), nullptr);
    }
    {
        // All ones is what a failed read gives: it names no window.
        CPciKit kit(strBoard(R"({"at": "00:00.0", "id": "8086:29a0", "regs": {"0x60.l": "0xffffffff"}})"));
        ASSERT_NE(kit.pScan(), nullptr);
        EXPECT_EQ(kit::FindPCIExpressSpace(), nullptr);
    }
}

// A 256-byte image with the capability at 0x40 (or nOffset) made of the given bytes.
struct Image {
    std::array<uint8_t, 4096> bytes{};
    void vPut(uint32_t dwOffset, std::initializer_list<uint8_t> values)
    {
        for (uint8_t b : values) bytes[dwOffset++] = b;
    }
};

std::string strDump(CPCICapability& cap)
{
    CTraceCapture capture;
    cap.Dump();
    return capture.strText();
}

std::unique_ptr<CPCICapability> pParse(uint32_t dwID, bool bExtended, uint32_t dwOffset, const Image& image,
                                       uint32_t dwSize = PCI_CONFIG_SIZE)
{
    std::unique_ptr<CPCICapability> pCap(CreatePCICapability(dwID, bExtended));
    pCap->m_dwOffset = dwOffset;
    pCap->Parse(image.bytes.data(), dwSize);
    return pCap;
}

TEST(PciCapabilities, PowerManagementAndPciExpressDecodeAndDump)
{
    CPciKit kit;  // a kit root for the trace function
    Image image;
    image.vPut(0x40, {0x01, 0x00, 0x02, 0x00});
    EXPECT_EQ(strDump(*pParse(1, false, 0x40, image)), "\tPower Management Capability\n\t\tVersion\t\t1.1\n");
    image.vPut(0x40, {0x01, 0x00, 0x03, 0x00});
    EXPECT_EQ(strDump(*pParse(1, false, 0x40, image)), "\tPower Management Capability\n\t\tVersion\t\tunknown (3)\n");

    // A downstream switch port in slot 9 (bits 19 to 31), x4 of x8, port 3, card present.
    image.vPut(0x60, {0x10, 0x00, 0x62, 0x01});
    image.vPut(0x6C, {0x81, 0x00, 0x00, 0x03});
    image.vPut(0x72, {0x41, 0x00});
    image.vPut(0x74, {0x00, 0x00, 0x48, 0x00});
    image.vPut(0x7A, {0x40, 0x00});
    auto pExpress = pParse(16, false, 0x60, image);
    EXPECT_EQ(strDump(*pExpress),
              "\tPCI Express Capability\n\t\tDevice type\tDownstream Port of PCI-E Switch\n\t\tVersion\t\t2.0\n"
              "\t\tLink width\t4x (max 8x)\n\t\tPort\t\t3\n\t\tPhysical slot\t#9\n\t\tPresence detect\tcard present\n");
    // The same port without a slot.
    image.vPut(0x62, {0x62, 0x00});
    EXPECT_NE(strDump(*pParse(16, false, 0x60, image)).find("\t\tPhysical slot\tIntegrated device\n"), std::string::npos);
    // A capability at the end of the image: what lies beyond it stays unknown.
    image.vPut(0xF8, {0x10, 0x00, 0x41, 0x00});
    auto pCut = pParse(16, false, 0xF8, image);
    auto* pCutExpress = static_cast<CPCICaps_PCIE*>(pCut.get());
    EXPECT_EQ(pCutExpress->m_nDeviceType, PCIE_TYPE_ROOT_PORT);
    EXPECT_EQ(pCutExpress->m_nPortNumber, -1);
    EXPECT_EQ(pCutExpress->m_nPhysicalSlot, -1);
}

TEST(PciCapabilities, AgpHyperTransportSubsystemAndExtendedClassesDump)
{
    CPciKit kit;
    Image image;
    // AGP 3.0: 4x and 8x offered in 3.0 mode, 8x selected and enabled, queues 32 of 32.
    image.vPut(0x58, {0x02, 0x00, 0x30, 0x00, 0x0B, 0x02, 0x00, 0x1F, 0x02, 0x01, 0x00, 0x1F});
    EXPECT_EQ(strDump(*pParse(2, false, 0x58, image)),
              "\tAGP Capability\n\t\tVersion\t\t3.0\n\t\tStatus\t\tenabled\n\t\tTransfer rate\t8x (max 8x)\n"
              "\t\tMax transfer\t8x\n\t\tQueue lenght\t32 (max 32)\n");
    // HyperTransport host interface: 16 bits each way of 16, 1000 MHz, revision 1.02.
    image.vPut(0x80, {0x08, 0x00, 0x00, 0x20, 0x00, 0x00, 0x11, 0x11, 0x22, 0x06});
    const std::string strHT = strDump(*pParse(8, false, 0x80, image));
    EXPECT_NE(strHT.find("\t\tInterface type\tHost/Secondary\n"), std::string::npos) << strHT;
    EXPECT_NE(strHT.find("\t\tLink 0 width\t16/16 bits (max 16/16)\n"), std::string::npos) << strHT;
    EXPECT_NE(strHT.find("\t\tLink 0 freq.\t1000 MHz\n"), std::string::npos) << strHT;
    EXPECT_NE(strHT.find("\t\tRevision\t\t1.02\n"), std::string::npos) << strHT;
    image.vPut(0x80, {0x08, 0x00, 0x00, 0xA8});  // MSI mapping
    EXPECT_NE(strDump(*pParse(8, false, 0x80, image)).find("\tMSI mapping\n"), std::string::npos);
    image.vPut(0x80, {0x08, 0x00, 0x00, 0xF8});  // type 0x1F has no name
    EXPECT_NE(strDump(*pParse(8, false, 0x80, image)).find("\t1Fh\n"), std::string::npos);

    image.vPut(0x90, {0x0D, 0x00, 0x00, 0x00, 0x43, 0x10, 0x77, 0x82});
    EXPECT_EQ(strDump(*pParse(13, false, 0x90, image)),
              "\tSubsystem Vendor Capability\n\t\tSub. Vendor ID\t0x1043\n\t\tSubsystem ID\t0x8277\n");
    EXPECT_EQ(strDump(*pParse(17, false, 0x90, image)), "\tMSI-X Capability\n");
    EXPECT_EQ(strDump(*pParse(0x12, false, 0x90, image)), "\tPCI Capability class 0x12\n");
    EXPECT_EQ(strDump(*pParse(2, true, 0x100, image)), "\tVirtual Channel\n");

    image.vPut(0x140, {0x05, 0x00, 0x01, 0x00, 0x00, 0x02, 0x01, 0x04});
    EXPECT_EQ(strDump(*pParse(5, true, 0x140, image, 4096)),
              "\tRoot Complex Link Declaration\n\t\tPort Number\t4\n\t\tLink Entries #\t2\n");
    image.vPut(0x200, {0x0B, 0x00, 0x01, 0x00, 0x34, 0x12, 0xA1, 0x00});
    auto pVendor = pParse(11, true, 0x200, image, 4096);
    // The scan keeps the bytes; here they are given by hand.
    pVendor->m_pData = new uint8_t[10]{0x0B, 0x00, 0x01, 0x00, 0x34, 0x12, 0xA1, 0x00, 0xAA, 0xBB};
    EXPECT_EQ(strDump(*pVendor), "\tVendor Specific\n\t\tVendor ID\t\t4660\n\t\tSize\t\t\t10\n\t\tDump\n"
                                 "0B 00 01 00 34 12 A1 00 AA BB \n");
}

TEST(PciCapabilities, DumpsPrintNothingWithoutATraceFunction)
{
    CPciKit kit;
    CPCIInterface* pPCI = kit.pScan();
    ASSERT_NE(pPCI, nullptr);
    ORVEXSDK::Instance()->m_pTrace = nullptr;
    pPCI->FindDevice(0, 1, 0)->Dump();  // must not crash

    CTraceCapture capture;
    pPCI->FindDevice(0, 0x1F, 3)->Dump();
    const std::string& strText = capture.strText();
    EXPECT_EQ(strText.rfind("bus 0 (0x00), device 31 (0x1F), function 3 (0x03)\nCommon header\n"
                            "\tVendor ID\t\t0x8086\n\tModel ID\t\t0x283E\n\tRevision ID\t\t0x02\n\tPI\t\t\t0x00\n"
                            "\tSubClass\t\t0x05\n\tBaseClass\t\t0x0C\n",
                            0),
              0u)
        << strText;
    EXPECT_NE(strText.find("PCI header\n\tAddress 0 (memory)\t0xF9FFFC00\n\tAddress 4 (port)\t0x00000400\n"
                           "\tSubvendor ID\t\t0x1043\n\tSubsystem ID\t\t0x8277\n\tInt. Line\t\t0x13\n"
                           "\tInt. Pin\t\t0x03\nCapabilities\nExtended capabilities\nDump\n"
                           "00: 86 80 3E 28"),
              std::string::npos)
        << strText;

    CTraceCapture bridge;
    pPCI->FindDevice(0, 1, 0)->Dump();
    EXPECT_NE(bridge.strText().find("\tPrimary bus\t\t0x00\n\tSecondary bus\t\t0x01\n"), std::string::npos);
    EXPECT_NE(bridge.strText().find("Capabilities\n\tPower Management Capability\n"), std::string::npos);
    EXPECT_NE(bridge.strText().find("Extended capabilities\n\tAdvanced Error Reporting Capability\n"
                                    "\tRoot Complex Link Declaration\n"),
              std::string::npos)
        << bridge.strText();
}

}  // namespace
