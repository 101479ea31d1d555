// SPDX-License-Identifier: GPL-2.0-or-later
// The write trace of the kit: the line of each kind of write, and on the simulated boards
// every write the board served listed once, in order (the kit's set-up, a walk of the FSB
// over block and word transfers), with the SMBus transactions' register writes left out,
// inside a transaction only.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PLLTestKit.h"
#include "WriteTraceRecord.h"
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "smbus/Intel5000XSMBus.h"
#include "smbus/SMBusIOSpace.h"

namespace {

using json = nlohmann::json;
using plltest::CPLLKit;
using tracetest::CTraceCapture;

const std::vector<tracetest::SMBusHost> DEMO_HOSTS = {{0x400, 0x20, "0x0400"}};

std::vector<CSMBusIOSpace*> Controllers()
{
    std::vector<CSMBusIOSpace*> found;
    for (CTListItem<CIOSpace>* pItem = ORVEXSDK::Instance()->m_pIOSpaceList->m_pHead; pItem && pItem->m_pObject;
         pItem = pItem->m_pNext)
        if ((pItem->m_pObject->m_dwType & IOSPACE_SMBUS_PORTS) == IOSPACE_SMBUS_PORTS)
            found.push_back(static_cast<CSMBusIOSpace*>(pItem->m_pObject));
    return found;
}

// The board's writes and bus transactions so far are all listed, and nothing else.
void vExpectEveryWriteListed(CPLLKit& kit, const CTraceCapture& capture, const std::vector<tracetest::SMBusHost>& hosts)
{
    EXPECT_EQ(tracetest::HardwareLines(capture.strText()),
              tracetest::ExpectedHardwareLines(kit.Board().Log().Records(), hosts));
    std::vector<std::string> smbus;
    for (size_t nBus = 0; nBus < hosts.size(); ++nBus) {
        const sim::CSMBusBus* pBus = kit.Board().pSMBus(nBus);
        if (!pBus) continue;
        const std::vector<std::string> lines = tracetest::ExpectedSMBusLines(pBus->Transfers(), hosts[nBus].strName);
        smbus.insert(smbus.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write smbus "), smbus);
}

TEST(WriteTrace, LineOfEachKind)
{
    EXPECT_EQ(kit::strPortWriteLine(0xCF9, 1, 0x06), "write port 0x0cf9.b 0x06");
    EXPECT_EQ(kit::strPortWriteLine(0x80, 2, 0x55), "write port 0x0080.w 0x0055");
    EXPECT_EQ(kit::strPortWriteLine(0xE000, 4, 0xAB), "write port 0xe000.l 0x000000ab");
    EXPECT_EQ(kit::strConfigWriteLine(0, 0x1F, 3, 0x40, 1, 0x01), "write pci 00:1f.3 0x40.b 0x01");
    EXPECT_EQ(kit::strConfigWriteLine(0x12, 2, 7, 0xD2, 2, 0xBEEF), "write pci 12:02.7 0xd2.w 0xbeef");
    EXPECT_EQ(kit::strConfigWriteLine(0, 0, 0, 0x04, 4, 1), "write pci 00:00.0 0x04.l 0x00000001");
    EXPECT_EQ(kit::strMemoryWriteLine(0xFED1F404, 1), "write mem 0xfed1f404.l 0x00000001");
    EXPECT_EQ(kit::strMemoryWriteLine(0xF0, 0xDEADBEEF), "write mem 0x000000f0.l 0xdeadbeef");
    EXPECT_EQ(kit::strMSRWriteLine(0x199, 0, 0x616), "write msr 0x199 cpu 0 0x0000000000000616");
    EXPECT_EQ(kit::strMSRWriteLine(0xC0010041, 3, 0x8000000000000011ull),
              "write msr 0xc0010041 cpu 3 0x8000000000000011");
    EXPECT_EQ(kit::strSMBusController(0x400), "0x0400");
    EXPECT_EQ(kit::strSMBusController(0x5100), "0x5100");
    EXPECT_EQ(kit::strSMBusByteWriteLine("0x0400", 0x2E, 0x4E, 0x80), "write smbus 0x0400 0x2e cmd 0x4e byte 0x80");
    EXPECT_EQ(kit::strSMBusWordWriteLine("0x0400", 0x69, 0x9F, 0x00, 0x07),
              "write smbus 0x0400 0x69 cmd 0x9f word 0x00 0x07");
    const uint8_t abBlock[] = {0x0A, 0x0B, 0xFF};
    EXPECT_EQ(kit::strSMBusBlockWriteLine("0x0400", 0x69, 0x00, abBlock, 3),
              "write smbus 0x0400 0x69 cmd 0x00 block 3: 0a 0b ff");
    EXPECT_EQ(kit::strSMBusBlockWriteLine("00:16.1", 0x50, 0x10, abBlock, 0), "write smbus 00:16.1 0x50 cmd 0x10 block 0:");

    // One line each, with the newline; a failed write says so at its end.
    CTraceCapture capture;
    kit::vTraceWrite("write port 0x0080.b 0x55", true);
    kit::vTraceWrite("write port 0x0080.b 0x55", false);
    EXPECT_EQ(capture.strText(), "write port 0x0080.b 0x55\nwrite port 0x0080.b 0x55 failed\n");
}

TEST(WriteTrace, TheKitsSetUpListsTheWritesTheBoardServed)
{
    CTraceCapture capture;
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    vExpectEveryWriteListed(kit, capture, DEMO_HOSTS);
    // The set-up switched the SMBus host on and probed the bus, reading only.
    EXPECT_FALSE(kit.Board().pSMBus(0)->Transfers().empty());
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write smbus "), std::vector<std::string>());
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write pci 00:1f.3 0x40.l 0x00000001"),
              std::vector<std::string>{"write pci 00:1f.3 0x40.l 0x00000001"});
}

TEST(WriteTrace, AWalkListsEveryTransferThatWroteToTheChip)
{
    // The demo's ICS 951462 takes block writes, the Realtek RTM862-410 word writes.
    json realtek = chipsettest::BoardJson("demo");
    json& device = plltest::SMBusDevice(realtek, "0x69");
    device["model"] = "rtm862-410";
    device["hex"] = "00 00 00 00 00 00 00 00 00 00 00 17 00 00 0c 40 00 00 00 00 00 00 00 00 00 00 00 00 10 40 20";
    const struct {
        json board;
        uint32_t dwModel;
        sim::SMBusOp eWrite;
    } cases[] = {{chipsettest::BoardJson("demo"), 0x01951462, sim::SMBusOp::BlockWrite},
                 {realtek, 0x02862410, sim::SMBusOp::WriteWord}};
    for (const auto& c : cases) {
        CTraceCapture capture;
        CPLLKit kit(c.board);
        ASSERT_TRUE(kit.bReady());
        CClockGenerator* pChip = kit.pPLL()->SelectPLL(c.dwModel);
        ASSERT_NE(pChip, nullptr);
        ASSERT_TRUE(pChip->bReadClocks(pChip->m_Current));
        CFrequencySet target;
        target.m_fFSB = 280.0f;
        ASSERT_TRUE(pChip->bApplyClocks(target, nullptr));
        size_t nWrites = 0;
        for (const sim::SMBusTransfer& t : kit.Board().pSMBus(0)->Transfers()) nWrites += t.eOp == c.eWrite;
        EXPECT_GE(nWrites, 2u) << c.dwModel;
        EXPECT_EQ(tracetest::Lines(capture.strText(), "write smbus ").size(), nWrites) << c.dwModel;
        vExpectEveryWriteListed(kit, capture, DEMO_HOSTS);
    }
}

TEST(WriteTrace, OnlyTheRegisterWritesInsideATransactionAreLeftOut)
{
    CTraceCapture capture;
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    std::vector<CSMBusIOSpace*> controllers = Controllers();
    ASSERT_EQ(controllers.size(), 1u);
    CSMBusIOSpace& host = *controllers[0];
    capture.vClear();
    kit.Board().Log().vClear();

    uint8_t bByte = 0;
    EXPECT_TRUE(host.SMBusReadByte(0, 0x69, 0, bByte));
    size_t nHostWrites = 0;
    for (const sim::AccessRecord& r : kit.Board().Log().Records())
        nHostWrites += r.eKind == sim::AccessKind::PortWrite && r.qwAddress >= 0x400 && r.qwAddress < 0x420;
    EXPECT_GT(nHostWrites, 2u);  // address, command, control and start, status clears
    EXPECT_EQ(capture.strText().find("write "), std::string::npos) << capture.strText();

    // The same registers written outside a transaction are listed.
    EXPECT_TRUE(host.WriteByte(0x0D, 0x00));
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write "), std::vector<std::string>{"write port 0x040d.b 0x00"});

    // A block write nobody takes stops after its first byte: it failed.
    capture.vClear();
    const uint8_t abBytes[] = {1, 2, 3, 4};
    EXPECT_LT(host.SMBusBlockWrite(0, 0x30, 0x00, abBytes, 4), 4);
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write "),
              std::vector<std::string>{"write smbus 0x0400 0x30 cmd 0x00 block 4: 01 02 03 04 failed"});

    // With tracing off nothing is listed and nothing is held back afterwards.
    capture.vClear();
    kit::SetTraceEnabled(false);
    EXPECT_TRUE(host.SMBusReadByte(0, 0x69, 0, bByte));
    EXPECT_TRUE(host.WriteByte(0x0D, 0x00));
    kit::SetTraceEnabled(true);
    EXPECT_EQ(capture.strText(), "");
    EXPECT_TRUE(host.WriteByte(0x0D, 0x00));
    EXPECT_EQ(tracetest::Lines(capture.strText(), "write "), std::vector<std::string>{"write port 0x040d.b 0x00"});
}

TEST(WriteTrace, AControllerInConfigurationSpaceIsNamedByItsFunction)
{
    // The 5000X reaches the SPD EEPROMs of each FB-DIMM channel through configuration
    // registers of its branch function: those writes are the transaction's mechanics too.
    CTraceCapture capture;
    CPLLKit kit("i5000x-esb2");
    ASSERT_TRUE(kit.bReady());
    Intel_5000X_SMBusIOSpace* pSPD = nullptr;
    for (CSMBusIOSpace* pController : Controllers())
        if (!pSPD) pSPD = dynamic_cast<Intel_5000X_SMBusIOSpace*>(pController);
    ASSERT_NE(pSPD, nullptr);
    capture.vClear();
    kit.Board().Log().vClear();
    uint8_t bByte = 0;
    EXPECT_TRUE(pSPD->SMBusReadByte(0, 0x50, 2, bByte));
    size_t nConfigWrites = 0;
    for (const sim::AccessRecord& r : kit.Board().Log().Records())
        nConfigWrites += r.eKind == sim::AccessKind::PortWrite && r.qwAddress == 0xCFC;
    EXPECT_GT(nConfigWrites, 0u);
    EXPECT_EQ(capture.strText().find("write "), std::string::npos) << capture.strText();

    pSPD->SMBusWriteByte(0, 0x50, 0x7F, 0x5A);
    char szExpected[64];
    std::snprintf(szExpected, sizeof szExpected, "write smbus %02x:%02x.%x 0x50 cmd 0x7f byte 0x5a", pSPD->m_bBus,
                  pSPD->m_bDevice, pSPD->m_bFunction);
    const std::vector<std::string> lines = tracetest::Lines(capture.strText(), "write ");
    ASSERT_EQ(lines.size(), 1u) << capture.strText();
    EXPECT_EQ(lines[0].compare(0, std::strlen(szExpected), szExpected), 0) << lines[0];
}

}  // namespace
