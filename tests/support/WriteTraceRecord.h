// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the write trace must say, worked out from the simulated board's own record of the
// accesses it served (sim/AccessLog.h) and of the transactions on its SMBus: the board's
// writes in order, without the address writes to 0xCF8 and without the register writes of
// the SMBus host controllers (the transactions' mechanics), and the transactions that wrote
// to a device. The same record comes from a board in this process or, for pendulon-cli, from
// the file the board writes when PENDULON_SIM_RECORD names one.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kit/Trace.h"
#include "kit/WriteTrace.h"
#include "sim/AccessLog.h"
#include "sim/SMBusBus.h"

namespace tracetest {

// The trace of the kit in this process while the object lives: on, and caught.
class CTraceCapture {
public:
    CTraceCapture() : m_bWasEnabled(kit::bTraceEnabled())
    {
        s_strText.clear();
        m_pPrevious = kit::SetTraceOutput(&vCatch);
        kit::SetTraceEnabled(true);
    }
    ~CTraceCapture()
    {
        kit::SetTraceEnabled(m_bWasEnabled);
        kit::SetTraceOutput(m_pPrevious);
    }
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    const std::string& strText() const { return s_strText; }
    void vClear() { s_strText.clear(); }

private:
    static void vCatch(const char* pszText) { s_strText += pszText; }
    static inline std::string s_strText;
    kit::PFN_TRACE_OUTPUT m_pPrevious;
    bool m_bWasEnabled;
};

// An SMBus host controller's register block on the board, and how the trace names it.
struct SMBusHost {
    uint32_t dwBase;
    uint32_t dwSize;
    std::string strName;
};

inline std::vector<std::string> Lines(const std::string& strText, const std::string& strPrefix)
{
    std::vector<std::string> lines;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);)
        if (strLine.compare(0, strPrefix.size(), strPrefix) == 0) lines.push_back(strLine);
    return lines;
}

// The trace's write lines other than the SMBus transactions.
inline std::vector<std::string> HardwareLines(const std::string& strTrace)
{
    std::vector<std::string> lines;
    for (const std::string& strLine : Lines(strTrace, "write "))
        if (strLine.compare(0, 12, "write smbus ") != 0) lines.push_back(strLine);
    return lines;
}

inline std::string strMarked(const std::string& strLine, bool bOk) { return bOk ? strLine : strLine + " failed"; }

// The board's port, memory and MSR writes as the trace must list them.
inline std::vector<std::string> ExpectedHardwareLines(const std::vector<sim::AccessRecord>& records,
                                                      const std::vector<SMBusHost>& hosts)
{
    std::vector<std::string> lines;
    uint32_t dwConfigAddress = 0;
    for (const sim::AccessRecord& r : records) {
        if (r.eKind == sim::AccessKind::MemoryWrite) {
            lines.push_back(strMarked(kit::strMemoryWriteLine(r.qwAddress, uint32_t(r.qwValue)), r.bOk));
        } else if (r.eKind == sim::AccessKind::MsrWrite) {
            lines.push_back(strMarked(kit::strMSRWriteLine(uint32_t(r.qwAddress), r.nCpu, r.qwValue), r.bOk));
        } else if (r.eKind == sim::AccessKind::PortWrite) {
            const uint32_t dwPort = uint32_t(r.qwAddress);
            if (dwPort == 0xCF8 && r.nWidth == 4) {
                dwConfigAddress = r.bOk ? uint32_t(r.qwValue) : 0;
                continue;
            }
            bool bHost = false;
            for (const SMBusHost& host : hosts) bHost = bHost || (dwPort >= host.dwBase && dwPort < host.dwBase + host.dwSize);
            if (bHost) continue;
            if (dwPort >= 0xCFC && dwPort + r.nWidth <= 0xD00 && (dwConfigAddress & 0x80000000))
                lines.push_back(strMarked(kit::strConfigWriteLine(dwConfigAddress >> 16 & 0xFF, dwConfigAddress >> 11 & 31,
                                                                  dwConfigAddress >> 8 & 7,
                                                                  (dwConfigAddress & 0xFC) + dwPort - 0xCFC, r.nWidth,
                                                                  uint32_t(r.qwValue)),
                                          r.bOk));
            else
                lines.push_back(strMarked(kit::strPortWriteLine(dwPort, r.nWidth, uint32_t(r.qwValue)), r.bOk));
        }
    }
    return lines;
}

// The transactions on one SMBus that wrote to a device, as the trace must list them.
inline std::vector<std::string> ExpectedSMBusLines(const std::vector<sim::SMBusTransfer>& transfers,
                                                   const std::string& strController)
{
    std::vector<std::string> lines;
    for (const sim::SMBusTransfer& t : transfers) {
        if (t.eOp == sim::SMBusOp::WriteByte && t.Data.size() == 1)
            lines.push_back(kit::strSMBusByteWriteLine(strController, t.nAddress, t.bCommand, t.Data[0]));
        else if (t.eOp == sim::SMBusOp::WriteWord && t.Data.size() == 2)
            lines.push_back(kit::strSMBusWordWriteLine(strController, t.nAddress, t.bCommand, t.Data[0], t.Data[1]));
        else if (t.eOp == sim::SMBusOp::BlockWrite && !t.Data.empty())
            lines.push_back(kit::strSMBusBlockWriteLine(strController, t.nAddress, t.bCommand, t.Data.data() + 1,
                                                        int32_t(t.Data[0])));
        else if (t.eOp == sim::SMBusOp::WriteByte || t.eOp == sim::SMBusOp::WriteWord ||
                 t.eOp == sim::SMBusOp::BlockWrite || t.eOp == sim::SMBusOp::Quick)
            ADD_FAILURE() << "a write transaction the trace has no form for, to 0x" << std::hex << int(t.nAddress);
    }
    return lines;
}

// A board's record as the file PENDULON_SIM_RECORD names has it (sim/RecordFile.h); the
// sections of several boards (one per session of the program) follow each other.
struct BoardRecord {
    std::vector<sim::AccessRecord> Writes;
    std::vector<std::vector<sim::SMBusTransfer>> Buses;  // by bus index
};

inline bool bParseRecord(const std::string& strText, BoardRecord& record)
{
    std::istringstream stream(strText);
    std::vector<std::vector<sim::SMBusTransfer>> section;
    auto vEndSection = [&]() {
        if (record.Buses.size() < section.size()) record.Buses.resize(section.size());
        for (size_t n = 0; n < section.size(); ++n)
            record.Buses[n].insert(record.Buses[n].end(), section[n].begin(), section[n].end());
        section.clear();
    };
    for (std::string strLine; std::getline(stream, strLine);) {
        std::istringstream line(strLine);
        std::string strKind;
        line >> strKind;
        if (strKind == "board") {
            vEndSection();
            continue;
        }
        if (strKind == "smbus") {
            size_t nBus;
            unsigned nChannel, nAddress, nCommand;
            std::string strOp, strStatus;
            line >> std::hex >> nBus >> nChannel >> strOp >> nAddress >> nCommand >> strStatus;
            if (!line || strStatus.empty() || strStatus.back() != ':') return false;
            static const std::pair<const char*, sim::SMBusOp> ops[] = {
                {"quick", sim::SMBusOp::Quick},         {"read-byte", sim::SMBusOp::ReadByte},
                {"write-byte", sim::SMBusOp::WriteByte}, {"read-word", sim::SMBusOp::ReadWord},
                {"write-word", sim::SMBusOp::WriteWord}, {"block-read", sim::SMBusOp::BlockRead},
                {"block-write", sim::SMBusOp::BlockWrite}};
            sim::SMBusTransfer transfer{sim::SMBusOp::Quick, nChannel, uint8_t(nAddress), uint8_t(nCommand), {},
                                        strStatus == "ok:" ? sim::SMBusStatus::Ok : sim::SMBusStatus::NoAnswer};
            bool bKnown = false;
            for (const auto& [pszName, eOp] : ops)
                if (strOp == pszName) transfer.eOp = eOp, bKnown = true;
            if (!bKnown) return false;
            for (unsigned nByte; line >> nByte;) transfer.Data.push_back(uint8_t(nByte));
            if (section.size() <= nBus) section.resize(nBus + 1);
            section[nBus].push_back(transfer);
            continue;
        }
        sim::AccessRecord r{};
        std::string strOk;
        if (strKind == "port-write") {
            r.eKind = sim::AccessKind::PortWrite;
            line >> std::hex >> r.qwAddress >> r.nWidth >> r.qwValue >> strOk;
        } else if (strKind == "mem-write") {
            r.eKind = sim::AccessKind::MemoryWrite;
            r.nWidth = 4;
            line >> std::hex >> r.qwAddress >> r.qwValue >> strOk;
        } else if (strKind == "msr-write") {
            r.eKind = sim::AccessKind::MsrWrite;
            r.nWidth = 8;
            line >> std::hex >> r.nCpu >> r.qwAddress >> r.qwValue >> strOk;
        } else {
            return false;
        }
        if (!line || (strOk != "ok" && strOk != "refused")) return false;
        r.bOk = strOk == "ok";
        record.Writes.push_back(r);
    }
    vEndSection();
    return true;
}

}  // namespace tracetest
