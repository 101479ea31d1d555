// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ACPICommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/Output.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

struct EntryStateText {
    ACPIEntryState eState;
    const char* pszWord;    // for --json
    const char* pszReport;  // for the text report
};
const EntryStateText s_States[] = {
    {ACPIEntryState::Unreadable, "unreadable", "header could not be read"},
    {ACPIEntryState::TooLong, "too_long", "longer than 4096 bytes: not read"},
    {ACPIEntryState::TooShort, "too_short", "shorter than a table header: skipped"},
    {ACPIEntryState::Read, "read", "read"},
};

const EntryStateText& StateText(ACPIEntryState eState)
{
    for (const EntryStateText& s : s_States)
        if (s.eState == eState) return s;
    return s_States[0];
}

std::string strAddress(uint32_t dwAddress)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%08x", dwAddress);
    return sz;
}

// The entry the FADT was read from, null without one.
const ACPIEntryInfo* pFADTEntry(const CACPIInterface& acpi)
{
    if (!acpi.m_dwFADTAddress) return nullptr;
    for (uint32_t i = 0; i < acpi.m_nExamined; ++i) {
        const ACPIEntryInfo& e = acpi.m_Entries[i];
        if (e.dwAddress == acpi.m_dwFADTAddress && e.eState == ACPIEntryState::Read) return &e;
    }
    return nullptr;
}

// What the probe found, with the PM timer measured by the driver; -1 when it was not.
struct ACPIReport {
    const CACPIInterface* pACPI = nullptr;
    double dFrequency = -1.0;
};

nlohmann::json JsonReport(const ACPIReport& report)
{
    const CACPIInterface& acpi = *report.pACPI;
    char szOEM[7], szTable[9], szSignature[5];
    acpi.vRSDPOEMID(szOEM);
    nlohmann::json document;
    document["rsdp"] = {{"address", acpi.m_dwRSDPAddress}, {"revision", acpi.bRSDPRevision()}, {"oem_id", szOEM}};
    acpi.vRSDTSignature(szSignature);
    acpi.vRSDTOEMID(szOEM);
    acpi.vRSDTOEMTableID(szTable);
    nlohmann::json entries = nlohmann::json::array();
    for (uint32_t i = 0; i < acpi.m_nExamined; ++i) {
        const ACPIEntryInfo& e = acpi.m_Entries[i];
        const char* pszName = e.eState == ACPIEntryState::Unreadable ? nullptr : CACPIInterface::pszTableName(e.szSignature);
        entries.push_back({{"address", e.dwAddress},
                           {"signature", e.szSignature},
                           {"length", e.dwLength},
                           {"revision", e.bRevision},
                           {"state", StateText(e.eState).pszWord},
                           {"name", pszName ? nlohmann::json(pszName) : nlohmann::json()}});
    }
    document["rsdt"] = {{"address", acpi.m_dwRSDTAddress},
                        {"signature", szSignature},
                        {"length", acpi.m_dwRSDTLength},
                        {"revision", acpi.m_pRSDT[8]},
                        {"oem_id", szOEM},
                        {"oem_table_id", szTable},
                        {"entries_claimed", acpi.m_nRSDTEntries},
                        {"entries_examined", acpi.m_nExamined},
                        {"entries", entries}};
    document["fadt"] = nullptr;
    if (const ACPIEntryInfo* pFADT = pFADTEntry(acpi)) {
        document["fadt"] = {{"address", pFADT->dwAddress},         {"revision", pFADT->bRevision},
                            {"length", pFADT->dwLength},           {"oem_id", pFADT->szOEMID},
                            {"oem_table_id", pFADT->szOEMTableID}, {"pm_timer_block", acpi.m_dwPMTimerBlock}};
    }
    document["pm_timer"] = nullptr;
    if (acpi.m_pTimer) {
        document["pm_timer"] = {{"port", acpi.m_pTimer->wPort()},
                                {"measured", report.dFrequency > 0},
                                {"frequency_hz", report.dFrequency > 0 ? nlohmann::json(report.dFrequency)
                                                                        : nlohmann::json()}};
    }
    return document;
}

void vPrintReport(const ACPIReport& report)
{
    const CACPIInterface& acpi = *report.pACPI;
    char szOEM[7], szTable[9], szSignature[5];
    acpi.vRSDPOEMID(szOEM);
    std::printf("RSDP      %s  revision %u  OEM \"%s\"\n", strAddress(acpi.m_dwRSDPAddress).c_str(),
                acpi.bRSDPRevision(), szOEM);
    acpi.vRSDTSignature(szSignature);
    acpi.vRSDTOEMID(szOEM);
    acpi.vRSDTOEMTableID(szTable);
    std::printf("RSDT      %s  signature \"%s\"  length %u  revision %u  OEM \"%s\" \"%s\"\n",
                strAddress(acpi.m_dwRSDTAddress).c_str(), szSignature, acpi.m_dwRSDTLength, acpi.m_pRSDT[8], szOEM,
                szTable);
    std::printf("          %d entries claimed, %u examined\n", acpi.m_nRSDTEntries, acpi.m_nExamined);
    for (uint32_t i = 0; i < acpi.m_nExamined; ++i) {
        const ACPIEntryInfo& e = acpi.m_Entries[i];
        if (e.eState == ACPIEntryState::Unreadable) {
            std::printf("  %2u  %s  %s\n", i, strAddress(e.dwAddress).c_str(), StateText(e.eState).pszReport);
            continue;
        }
        const char* pszName = CACPIInterface::pszTableName(e.szSignature);
        std::printf("  %2u  %s  \"%s\"  length %u  revision %u  %s%s%s\n", i, strAddress(e.dwAddress).c_str(),
                    e.szSignature, e.dwLength, e.bRevision, StateText(e.eState).pszReport, pszName ? "  " : "",
                    pszName ? pszName : "");
    }
    if (const ACPIEntryInfo* pFADT = pFADTEntry(acpi))
        std::printf("FADT      %s  revision %u  length %u  OEM \"%s\" \"%s\"  PM timer block 0x%x\n",
                    strAddress(pFADT->dwAddress).c_str(), pFADT->bRevision, pFADT->dwLength, pFADT->szOEMID,
                    pFADT->szOEMTableID, acpi.m_dwPMTimerBlock);
    else
        std::printf("FADT      none\n");
    if (!acpi.m_pTimer)
        std::printf("PM timer  none\n");
    else if (report.dFrequency > 0)
        std::printf("PM timer  port 0x%04x  %.0f Hz (measured)\n", acpi.m_pTimer->wPort(), report.dFrequency);
    else
        std::printf("PM timer  port 0x%04x  frequency could not be measured\n", acpi.m_pTimer->wPort());
}

int nRunACPI(const GlobalOptions& options)
{
    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildKit();
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ACPIReport report;
    report.pACPI = pKit->m_pACPIInterface;
    if (!report.pACPI) {
        const std::string strFault = session.strFault();
        session.vEnd();
        vError("no ACPI tables found: no root system description pointer (RSDP) with a good checksum in 0-0x3ff or "
               "0xe0000-0xfffff, or its RSDT could not be read%s%s",
               strFault.empty() ? "" : ": ", strFault.c_str());
        return EXIT_FAILED;
    }
    // The driver measures the counter against its own time base.
    if (report.pACPI->m_pTimer && report.pACPI->m_pTimer->Calibrate(nullptr))
        report.dFrequency = report.pACPI->m_pTimer->m_dFrequency;
    session.vEnd();
    if (options.bJson)
        vPrintJson(JsonReport(report));
    else
        vPrintReport(report);
    return EXIT_OK;
}

class CACPICommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pCommand = app.add_subcommand(
            "acpi", "Where the firmware's ACPI tables are (RSDP, RSDT, FADT) and the PM timer's measured frequency");
        pCommand->callback([this]() { m_bChosen = true; });
    }
    bool bChosen() const override { return m_bChosen; }
    int nRun(const GlobalOptions& options) override { return nRunACPI(options); }

private:
    bool m_bChosen = false;
};

}  // namespace

std::unique_ptr<CCommand> CreateACPICommand() { return std::make_unique<CACPICommand>(); }

}  // namespace cli
