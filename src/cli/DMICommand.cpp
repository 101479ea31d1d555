// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/DMICommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Output.h"
#include "discovery/DMIInterface.h"
#include "discovery/DMIMemoryStructures.h"
#include "discovery/DMINames.h"
#include "discovery/DMISystemStructures.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

// What dmidecode prints for a string the structure does not give.
const char* const NOT_SPECIFIED = "Not Specified";

std::string strOrNotSpecified(const char* sz) { return sz[0] ? sz : NOT_SPECIFIED; }

// The UUID as dmidecode prints it: from SMBIOS 2.6 on, the first three fields are stored
// little-endian.
std::string strUUID(const CDMI_System& system, const CDMIInterface& dmi)
{
    if (!system.m_bUUID) return NOT_SPECIFIED;
    const uint8_t* u = system.m_abUUID;
    bool bAllOnes = true, bAllZeros = true;
    for (int i = 0; i < 16; ++i) {
        bAllOnes = bAllOnes && u[i] == 0xFF;
        bAllZeros = bAllZeros && u[i] == 0x00;
    }
    if (bAllOnes) return "Not Present";
    if (bAllZeros) return "Not Settable";
    const uint8_t bRevision = dmi.m_pEntry->bBCDRevision;
    const bool bLittleEndian = (bRevision >> 4) > 2 || ((bRevision >> 4) == 2 && (bRevision & 0x0F) >= 6);
    char sz[40];
    if (bLittleEndian)
        std::snprintf(sz, sizeof sz, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", u[3], u[2],
                      u[1], u[0], u[5], u[4], u[7], u[6], u[8], u[9], u[10], u[11], u[12], u[13], u[14], u[15]);
    else
        std::snprintf(sz, sizeof sz, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", u[0], u[1],
                      u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9], u[10], u[11], u[12], u[13], u[14], u[15]);
    return sz;
}

std::string strChassisType(const CDMI_SystemEnclosure& chassis)
{
    if (chassis.m_dwChassisType == 0xFFFFFFFF) return NOT_SPECIFIED;
    if (const char* pszType = dmi::pszLookup(dmi::ChassisTypes, chassis.m_dwChassisType)) return pszType;
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%X", chassis.m_dwChassisType);
    return sz;
}

std::string strFrequency(const CDMI_Processor& processor)
{
    if (processor.m_fClock <= 0) return "Unknown";
    char sz[24];
    std::snprintf(sz, sizeof sz, "%u MHz", unsigned(processor.m_fClock));
    return sz;
}

// One keyword of `dmidecode -s`: the structure type it reads and how it reads it.
struct Keyword {
    const char* pszName;
    uint32_t dwType;
    std::string (*pfnValue)(const CDMIStructure& structure, const CDMIInterface& dmi);
};

template <typename T>
const T& As(const CDMIStructure& s)
{
    return static_cast<const T&>(s);
}

// A string field of the structure.
template <typename T, char (T::*pField)[DMI_STRING_BYTES]>
std::string strText(const CDMIStructure& s, const CDMIInterface&)
{
    return strOrNotSpecified(As<T>(s).*pField);
}

template <typename T, std::string (*pfnValue)(const T&)>
std::string strValue(const CDMIStructure& s, const CDMIInterface&)
{
    return pfnValue(As<T>(s));
}

std::string strSystemUUID(const CDMIStructure& s, const CDMIInterface& dmi) { return strUUID(As<CDMI_System>(s), dmi); }

const Keyword s_Keywords[] = {
    {"bios-vendor", 0, strText<CDMI_Bios, &CDMI_Bios::m_szVendor>},
    {"bios-version", 0, strText<CDMI_Bios, &CDMI_Bios::m_szVersion>},
    {"bios-release-date", 0, strText<CDMI_Bios, &CDMI_Bios::m_szDate>},
    {"system-manufacturer", 1, strText<CDMI_System, &CDMI_System::m_szManufacturer>},
    {"system-product-name", 1, strText<CDMI_System, &CDMI_System::m_szProduct>},
    {"system-version", 1, strText<CDMI_System, &CDMI_System::m_szVersion>},
    {"system-serial-number", 1, strText<CDMI_System, &CDMI_System::m_szSerial>},
    {"system-uuid", 1, strSystemUUID},
    {"baseboard-manufacturer", 2, strText<CDMI_Baseboard, &CDMI_Baseboard::m_szManufacturer>},
    {"baseboard-product-name", 2, strText<CDMI_Baseboard, &CDMI_Baseboard::m_szModel>},
    {"baseboard-version", 2, strText<CDMI_Baseboard, &CDMI_Baseboard::m_szRevision>},
    {"baseboard-serial-number", 2, strText<CDMI_Baseboard, &CDMI_Baseboard::m_szSerial>},
    {"chassis-manufacturer", 3, strText<CDMI_SystemEnclosure, &CDMI_SystemEnclosure::m_szManufacturer>},
    {"chassis-type", 3, strValue<CDMI_SystemEnclosure, strChassisType>},
    {"chassis-serial-number", 3, strText<CDMI_SystemEnclosure, &CDMI_SystemEnclosure::m_szSerial>},
    {"processor-manufacturer", 4, strText<CDMI_Processor, &CDMI_Processor::m_szManufacturer>},
    {"processor-version", 4, strText<CDMI_Processor, &CDMI_Processor::m_szModel>},
    {"processor-frequency", 4, strValue<CDMI_Processor, strFrequency>},
};

const Keyword* pFindKeyword(const std::string& strName)
{
    for (const Keyword& k : s_Keywords)
        if (strName == k.pszName) return &k;
    return nullptr;
}

// The keyword's value in every structure of its type, in table order (one line each, as
// dmidecode prints them).
std::vector<std::string> Values(const Keyword& keyword, const CDMIInterface& dmi)
{
    std::vector<std::string> values;
    for (CTListItem<CDMIStructure>* pItem = dmi.m_pStructures->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        if (pItem->m_pObject->m_dwType == keyword.dwType) values.push_back(keyword.pfnValue(*pItem->m_pObject, dmi));
    return values;
}

nlohmann::json JsonDevice(const CDMI_MemoryDevice& d)
{
    auto number = [](int32_t n) { return n >= 0 ? nlohmann::json(n) : nlohmann::json(); };
    auto name = [](const dmi::DMINameTable& table, uint32_t dw) {
        return dw == 0xFFFFFFFF ? nlohmann::json() : nlohmann::json(dmi::pszName(table, dw, "unknown"));
    };
    return {{"locator", d.m_szLocator},
            {"bank-locator", d.m_szBank},
            {"size-mb", number(d.m_nSize)},
            {"speed-mhz", number(d.m_nSpeed)},
            {"type", name(dmi::MemoryTypes, d.m_dwMemoryType)},
            {"form-factor", name(dmi::MemoryFormFactors, d.m_dwFormFactor)},
            {"total-width", number(d.m_nTotalWidth)},
            {"data-width", number(d.m_nDataWidth)},
            {"manufacturer", d.m_szManufacturer},
            {"serial-number", d.m_szSerial},
            {"part-number", d.m_szPart}};
}

nlohmann::json JsonReport(const CDMIInterface& dmi)
{
    nlohmann::json document;
    char szVersion[8];
    std::snprintf(szVersion, sizeof szVersion, "%u.%u", dmi.m_pEntry->bBCDRevision >> 4, dmi.m_pEntry->bBCDRevision & 0x0F);
    document["entry-point"] = dmi.m_dwEntryAddress;
    document["table-address"] = dmi.m_pEntry->dwTableAddress;
    document["table-length"] = dmi.m_pEntry->wTableLength;
    document["smbios-version"] = szVersion;
    document["structures"] = dmi.m_Walk.nStructures;
    document["damaged"] = dmi.m_Walk.bCut;
    for (const Keyword& keyword : s_Keywords) {
        const std::vector<std::string> values = Values(keyword, dmi);
        std::string strJoined;
        for (size_t i = 0; i < values.size(); ++i) strJoined += (i ? "\n" : "") + values[i];
        document[keyword.pszName] = values.empty() ? nlohmann::json() : nlohmann::json(strJoined);
    }
    nlohmann::json devices = nlohmann::json::array();
    for (CTListItem<CDMIStructure>* pItem = dmi.m_pStructures->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        if (pItem->m_pObject->m_dwType == 17) devices.push_back(JsonDevice(As<CDMI_MemoryDevice>(*pItem->m_pObject)));
    document["memory-devices"] = devices;
    return document;
}

int nRunDMI(const GlobalOptions& options, const std::string& strKeyword)
{
    const Keyword* pKeyword = nullptr;
    if (!strKeyword.empty()) {
        pKeyword = pFindKeyword(strKeyword);
        if (!pKeyword) {
            std::string strList;
            for (const Keyword& k : s_Keywords) strList += std::string(strList.empty() ? "" : ", ") + k.pszName;
            vError("unknown keyword '%s' (one of %s)", strKeyword.c_str(), strList.c_str());
            return EXIT_USAGE;
        }
    }
    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildKit();
    const CDMIInterface* pDMI = static_cast<CDMIInterface*>(ORVEXSDK::Instance()->FindInterface(INTERFACE_DMI));
    int nResult = EXIT_OK;
    if (!pDMI) {
        const std::string strFault = session.strFault();
        if (strFault.empty())
            vError("no SMBIOS/DMI table found (no valid \"_DMI_\" entry point from 0xF0000 to 0xFFFFF)");
        else
            vError("no SMBIOS/DMI table found: %s", strFault.c_str());
        nResult = EXIT_FAILED;
    } else if (pKeyword) {
        for (const std::string& strValue : Values(*pKeyword, *pDMI)) std::printf("%s\n", strValue.c_str());
    } else if (options.bJson) {
        vPrintJson(JsonReport(*pDMI));
    } else {
        const_cast<CDMIInterface*>(pDMI)->Dump(stdout);
    }
    std::fflush(stdout);
    session.vEnd();
    return nResult;
}

class CDMICommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        m_pCommand = app.add_subcommand("dmi", "The SMBIOS/DMI structures of the firmware (as dmidecode finds them)");
        m_pCommand->add_option("-s,--string", m_strKeyword,
                               "print one value as `dmidecode -s KEYWORD` does (bios-vendor, system-product-name, ...)");
    }
    bool bChosen() const override { return m_pCommand && m_pCommand->parsed(); }
    int nRun(const GlobalOptions& options) override { return nRunDMI(options, m_strKeyword); }

private:
    CLI::App* m_pCommand = nullptr;
    std::string m_strKeyword;
};

}  // namespace

std::unique_ptr<CCommand> CreateDMICommand() { return std::make_unique<CDMICommand>(); }

std::vector<std::string> DMIKeywordValues(const CDMIInterface& dmi, const std::string& strKeyword)
{
    const Keyword* pKeyword = pFindKeyword(strKeyword);
    return pKeyword ? Values(*pKeyword, dmi) : std::vector<std::string>();
}

}  // namespace cli
