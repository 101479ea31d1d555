// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/RecordFile.h"

#include <cinttypes>
#include <cstdio>

#include "sim/SMBusBus.h"
#include "sim/SimBoard.h"

namespace sim {

namespace {

const char* pszOp(SMBusOp eOp)
{
    switch (eOp) {
    case SMBusOp::Quick: return "quick";
    case SMBusOp::ReadByte: return "read-byte";
    case SMBusOp::WriteByte: return "write-byte";
    case SMBusOp::ReadWord: return "read-word";
    case SMBusOp::WriteWord: return "write-word";
    case SMBusOp::BlockRead: return "block-read";
    case SMBusOp::BlockWrite: return "block-write";
    }
    return "?";
}

const char* pszStatus(SMBusStatus eStatus)
{
    switch (eStatus) {
    case SMBusStatus::Ok: return "ok";
    case SMBusStatus::NoAnswer: return "no-answer";
    case SMBusStatus::DataNack: return "data-nack";
    case SMBusStatus::Collision: return "collision";
    case SMBusStatus::Hung: return "hung";
    case SMBusStatus::Failed: return "failed";
    }
    return "?";
}

}  // namespace

bool bAppendRecord(CSimBoard& board, const std::string& strPath)
{
    std::FILE* pFile = std::fopen(strPath.c_str(), "a");
    if (!pFile) return false;
    std::fprintf(pFile, "board %s\n", board.strName().c_str());
    for (const AccessRecord& r : board.Log().Records()) {
        const char* pszOk = r.bOk ? "ok" : "refused";
        if (r.eKind == AccessKind::PortWrite)
            std::fprintf(pFile, "port-write %" PRIx64 " %u %" PRIx64 " %s\n", r.qwAddress, r.nWidth, r.qwValue, pszOk);
        else if (r.eKind == AccessKind::MemoryWrite)
            std::fprintf(pFile, "mem-write %" PRIx64 " %" PRIx64 " %s\n", r.qwAddress, r.qwValue, pszOk);
        else if (r.eKind == AccessKind::MsrWrite)
            std::fprintf(pFile, "msr-write %x %" PRIx64 " %" PRIx64 " %s\n", r.nCpu, r.qwAddress, r.qwValue, pszOk);
    }
    for (size_t nBus = 0; const CSMBusBus* pBus = board.pSMBus(nBus); ++nBus) {
        for (const SMBusTransfer& t : pBus->Transfers()) {
            std::fprintf(pFile, "smbus %zx %x %s %x %x %s:", nBus, t.nChannel, pszOp(t.eOp), t.nAddress, t.bCommand,
                         pszStatus(t.eStatus));
            for (uint8_t b : t.Data) std::fprintf(pFile, " %02x", b);
            std::fputc('\n', pFile);
        }
    }
    const bool bOk = !std::ferror(pFile);
    return std::fclose(pFile) == 0 && bOk;
}

}  // namespace sim
