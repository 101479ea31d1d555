// SPDX-License-Identifier: GPL-2.0-or-later
// The board file format (documented in boards/README.md), decoded into a BoardConfig.
#include <cmath>
#include <cstring>
#include <numeric>

#include "sim/ACPITables.h"
#include "sim/BoardConfig.h"
#include "sim/JsonFields.h"
#include "sim/PCIVisibilityParse.h"
#include "sim/SMBusBoard.h"
#include "sim/SMBIOSTables.h"

namespace sim {

namespace {

constexpr uint32_t LEAF_BRAND_FIRST = 0x80000002;
constexpr size_t BRAND_BYTES = 48;  // three leaves of four registers
constexpr uint32_t MSR_TSC = 0x10;
constexpr uint32_t MSR_APIC_BASE = 0x1B;
constexpr uint32_t MSR_BIOS_SIGN = 0x8B;
constexpr uint16_t CONFIG_PORT_FIRST = 0xCF8;
constexpr uint16_t CONFIG_PORT_END = 0xD00;
constexpr uint16_t PM_TIMER_PORTS = 4;
constexpr uint64_t APIC_PAGE = 0x1000;

// The nesting of arrays and objects, counted outside strings. The parser would follow a
// hostile file as deep as it goes.
bool bNestingWithin(const std::string& strText, unsigned nMax)
{
    unsigned nDepth = 0;
    bool bInString = false, bEscaped = false;
    for (char c : strText) {
        if (bInString) {
            if (bEscaped)
                bEscaped = false;
            else if (c == '\\')
                bEscaped = true;
            else if (c == '"')
                bInString = false;
        } else if (c == '"') {
            bInString = true;
        } else if (c == '[' || c == '{') {
            if (++nDepth > nMax)
                return false;
        } else if ((c == ']' || c == '}') && nDepth > 0) {
            --nDepth;
        }
    }
    return true;
}

// Line and column (from 1) of a byte position, for parse errors.
void vLineColumn(const std::string& strText, size_t nByte, size_t& nLine, size_t& nColumn)
{
    nLine = 1;
    nColumn = 1;
    for (size_t i = 0; i < nByte && i < strText.size(); ++i) {
        if (strText[i] == '\n') {
            ++nLine;
            nColumn = 1;
        } else {
            ++nColumn;
        }
    }
}

class CBoardFileParser {
public:
    CBoardFileParser(const std::string& strLabel, BoardConfig& config) : m_Reader(strLabel), m_Config(config) {}

    bool bParse(const json& root);
    const std::string& strError() const { return m_Reader.strError(); }

private:
    bool bClock(const json& clock);
    bool bCpus(const json& cpus);
    bool bCpuidTable(const json& table, const std::string& strField, CpuidTable& cpuid);
    bool bMsrTable(const json& table, const std::string& strField, std::map<uint32_t, uint64_t>& msrs);
    bool bBrand(const json& brand, const std::string& strField, CpuidTable& cpuid);
    bool bPci(const json& pci);
    bool bPciFunction(const json& function, const std::string& strField, PCIFunctionConfig& config);
    bool bPciAddress(const json& at, const std::string& strField, PCIFunctionConfig& config);
    bool bIdPair(const json& value, const std::string& strField, uint16_t& wFirst, uint16_t& wSecond);
    bool bPciRegs(const json& regs, const std::string& strField, std::array<uint8_t, 4096>& space);
    bool bMemory(const json& memory);
    bool bEnhancedConfig(const json& enhanced);
    bool bPMTimer(const json& pmTimer);
    bool bApic(const json& apic);
    bool bCheckLayout();

    CFieldReader m_Reader;
    BoardConfig& m_Config;
};

bool CBoardFileParser::bParse(const json& root)
{
    if (!m_Reader.bObject(root, "the file") ||
        !m_Reader.bKnownKeys(root, "", {"name", "description", "clock", "cpus", "pci", "memory", "enhanced_config",
                                        "pm_timer", "apic", "acpi", "smbios", "smbus"}))
        return false;
    if (root.contains("name") && !m_Reader.bString(root["name"], "name", 64, m_Config.strName))
        return false;
    if (root.contains("description") && !m_Reader.bString(root["description"], "description", 1024, m_Config.strDescription))
        return false;
    if (!root.contains("clock"))
        return m_Reader.bFail("clock", "is missing (it gives bus_mhz and multiplier)");
    if (!root.contains("cpus"))
        return m_Reader.bFail("cpus", "is missing (it gives at least the count)");
    // The APIC comes first: the default of MSR 0x1B follows its base.
    if (root.contains("apic") && !bApic(root["apic"]))
        return false;
    if (!bClock(root["clock"]) || !bCpus(root["cpus"]))
        return false;
    if (root.contains("pci") && !bPci(root["pci"]))
        return false;
    if (root.contains("memory") && !bMemory(root["memory"]))
        return false;
    if (root.contains("enhanced_config") && !bEnhancedConfig(root["enhanced_config"]))
        return false;
    if (root.contains("pm_timer") && !bPMTimer(root["pm_timer"]))
        return false;
    if (root.contains("acpi") && !bParseACPISection(root["acpi"], m_Reader, m_Config))
        return false;
    if (root.contains("smbios") && !bParseSMBIOSSection(root["smbios"], m_Reader, m_Config))
        return false;
    if (root.contains("smbus") && !bParseSMBusSection(root["smbus"], m_Reader, m_Config))
        return false;
    return bCheckLayout();
}

bool CBoardFileParser::bClock(const json& clock)
{
    if (!m_Reader.bObject(clock, "clock") || !m_Reader.bKnownKeys(clock, "clock", {"bus_mhz", "multiplier"}))
        return false;
    if (!clock.contains("bus_mhz"))
        return m_Reader.bFail("clock.bus_mhz", "is missing");
    if (!clock.contains("multiplier"))
        return m_Reader.bFail("clock.multiplier", "is missing");
    double dMHz = 0, dMultiplier = 0;
    if (!m_Reader.bReal(clock["bus_mhz"], "clock.bus_mhz", 0.000001, true, 100000.0, dMHz) ||
        !m_Reader.bReal(clock["multiplier"], "clock.multiplier", 0.001, true, 1000.0, dMultiplier))
        return false;
    m_Config.qwBusHz = uint64_t(std::llround(dMHz * 1e6));
    // The multiplier is kept as an exact fraction (thousandths), so that the time-stamp
    // counter is computed in integers.
    uint64_t qwNum = uint64_t(std::llround(dMultiplier * 1000.0)), qwDen = 1000;
    uint64_t qwGcd = std::gcd(qwNum, qwDen);
    m_Config.qwMultiplierNum = qwNum / qwGcd;
    m_Config.qwMultiplierDen = qwDen / qwGcd;
    return true;
}

bool CBoardFileParser::bCpus(const json& cpus)
{
    if (!m_Reader.bObject(cpus, "cpus") ||
        !m_Reader.bKnownKeys(cpus, "cpus", {"count", "cpuid", "msrs", "brand", "microcode", "per_cpu"}))
        return false;
    if (!cpus.contains("count"))
        return m_Reader.bFail("cpus.count", "is missing");
    uint64_t qwCount = 0;
    if (!m_Reader.bNumber(cpus["count"], "cpus.count", MAX_CPUS, qwCount))
        return false;
    if (qwCount == 0)
        return m_Reader.bFail("cpus.count", "must be at least 1");

    CpuidTable sharedCpuid;
    std::map<uint32_t, uint64_t> sharedMsrs;
    if (cpus.contains("cpuid") && !bCpuidTable(cpus["cpuid"], "cpus.cpuid", sharedCpuid))
        return false;
    if (cpus.contains("msrs") && !bMsrTable(cpus["msrs"], "cpus.msrs", sharedMsrs))
        return false;
    if (cpus.contains("brand") && !bBrand(cpus["brand"], "cpus.brand", sharedCpuid))
        return false;
    if (cpus.contains("microcode")) {
        uint64_t qwRevision = 0;
        if (!m_Reader.bNumber(cpus["microcode"], "cpus.microcode", UINT32_MAX, qwRevision))
            return false;
        m_Config.nMicrocode = uint32_t(qwRevision);
    }
    static const json emptyArray = json::array();
    const json& perCpu = cpus.contains("per_cpu") ? cpus["per_cpu"] : emptyArray;
    if (!m_Reader.bArray(perCpu, "cpus.per_cpu", size_t(qwCount)))
        return false;

    m_Config.Cpus.resize(size_t(qwCount));
    for (size_t i = 0; i < m_Config.Cpus.size(); ++i) {
        CpuConfig& cpu = m_Config.Cpus[i];
        cpu.nApicId = uint32_t(i);
        cpu.Cpuid = sharedCpuid;
        cpu.Msrs = sharedMsrs;
        if (i < perCpu.size()) {
            const json& entry = perCpu[i];
            std::string strField = CFieldReader::strElement("cpus.per_cpu", i);
            if (!m_Reader.bObject(entry, strField) ||
                !m_Reader.bKnownKeys(entry, strField, {"apic_id", "cpuid", "msrs"}))
                return false;
            if (entry.contains("apic_id")) {
                uint64_t qwId = 0;
                if (!m_Reader.bNumber(entry["apic_id"], strField + ".apic_id", 0xFF, qwId))
                    return false;
                cpu.nApicId = uint32_t(qwId);
            }
            CpuidTable ownCpuid;
            std::map<uint32_t, uint64_t> ownMsrs;
            if (entry.contains("cpuid") && !bCpuidTable(entry["cpuid"], strField + ".cpuid", ownCpuid))
                return false;
            if (entry.contains("msrs") && !bMsrTable(entry["msrs"], strField + ".msrs", ownMsrs))
                return false;
            // A leaf given for one processor replaces the shared answers of that leaf.
            for (auto& [nLeaf, leaf] : ownCpuid)
                cpu.Cpuid[nLeaf] = leaf;
            for (auto& [nIndex, qwValue] : ownMsrs)
                cpu.Msrs[nIndex] = qwValue;
        }
        for (size_t j = 0; j < i; ++j)
            if (m_Config.Cpus[j].nApicId == cpu.nApicId)
                return m_Reader.bFail(CFieldReader::strElement("cpus.per_cpu", i) + ".apic_id",
                                      "APIC id " + std::to_string(cpu.nApicId) + " is already taken by processor " +
                                          std::to_string(j));
        // The initial APIC id of each processor is in CPUID leaf 1, EBX bits 24 to 31.
        auto itLeaf1 = cpu.Cpuid.find(1);
        if (itLeaf1 != cpu.Cpuid.end()) {
            auto patch = [&](platform::CpuidRegs& regs) { regs.ebx = (regs.ebx & 0x00FFFFFF) | cpu.nApicId << 24; };
            patch(itLeaf1->second.Plain);
            for (auto& [nSub, regs] : itLeaf1->second.SubLeaves)
                patch(regs);
        }
        if (!cpu.Msrs.count(MSR_APIC_BASE))  // enabled; bit 8 marks the bootstrap processor
            cpu.Msrs[MSR_APIC_BASE] = m_Config.qwApicBase | (i == 0 ? 0x900 : 0x800);
        if (m_Config.nMicrocode && !cpu.Msrs.count(MSR_BIOS_SIGN))
            cpu.Msrs[MSR_BIOS_SIGN] = uint64_t(*m_Config.nMicrocode) << 32;
    }
    return true;
}

bool CBoardFileParser::bCpuidTable(const json& table, const std::string& strField, CpuidTable& cpuid)
{
    if (!m_Reader.bObject(table, strField))
        return false;
    for (const auto& item : table.items()) {
        std::string strEntry = CFieldReader::strMember(strField, item.key());
        const std::string& strKey = item.key();
        size_t nDot = strKey.find('.');
        uint64_t qwLeaf = 0, qwSub = 0;
        bool bIndexed = nDot != std::string::npos;
        if (!bParseNumberText(std::string_view(strKey).substr(0, nDot), UINT32_MAX, qwLeaf) ||
            (bIndexed && !bParseNumberText(std::string_view(strKey).substr(nDot + 1), UINT32_MAX, qwSub)))
            return m_Reader.bFail(strEntry, "the key must be a leaf (\"0x4\") or a leaf and sub-leaf (\"0x4.1\")");
        if (!m_Reader.bArray(item.value(), strEntry, 4))
            return false;
        if (item.value().size() != 4)
            return m_Reader.bFail(strEntry, "must hold the four registers eax, ebx, ecx, edx");
        uint64_t qwRegs[4];
        for (size_t r = 0; r < 4; ++r)
            if (!m_Reader.bNumber(item.value()[r], CFieldReader::strElement(strEntry, r), UINT32_MAX, qwRegs[r]))
                return false;
        platform::CpuidRegs regs{uint32_t(qwRegs[0]), uint32_t(qwRegs[1]), uint32_t(qwRegs[2]), uint32_t(qwRegs[3])};
        auto itLeaf = cpuid.find(uint32_t(qwLeaf));
        if (itLeaf != cpuid.end()) {
            if (!itLeaf->second.bIndexed || !bIndexed)
                return m_Reader.bFail(strEntry, "the leaf is given twice, or both with and without sub-leaves");
            if (itLeaf->second.SubLeaves.count(uint32_t(qwSub)))
                return m_Reader.bFail(strEntry, "the sub-leaf is given twice");
        }
        CpuidLeaf& leaf = cpuid[uint32_t(qwLeaf)];
        leaf.bIndexed = bIndexed;
        if (bIndexed)
            leaf.SubLeaves[uint32_t(qwSub)] = regs;
        else
            leaf.Plain = regs;
    }
    return true;
}

bool CBoardFileParser::bMsrTable(const json& table, const std::string& strField, std::map<uint32_t, uint64_t>& msrs)
{
    if (!m_Reader.bObject(table, strField))
        return false;
    for (const auto& item : table.items()) {
        std::string strEntry = CFieldReader::strMember(strField, item.key());
        uint64_t qwIndex = 0, qwValue = 0;
        if (!bParseNumberText(item.key(), UINT32_MAX, qwIndex))
            return m_Reader.bFail(strEntry, "the key must be an MSR index such as \"0x1b\"");
        if (qwIndex == MSR_TSC)
            return m_Reader.bFail(strEntry, "MSR 0x10 is the time-stamp counter; it runs from the clock");
        if (msrs.count(uint32_t(qwIndex)))
            return m_Reader.bFail(strEntry, "the MSR is given twice");
        if (!m_Reader.bNumber(item.value(), strEntry, UINT64_MAX, qwValue))
            return false;
        msrs[uint32_t(qwIndex)] = qwValue;
    }
    return true;
}

bool CBoardFileParser::bBrand(const json& brand, const std::string& strField, CpuidTable& cpuid)
{
    std::string strBrand;
    if (!m_Reader.bString(brand, strField, BRAND_BYTES - 1, strBrand))
        return false;
    uint8_t bytes[BRAND_BYTES] = {};
    std::memcpy(bytes, strBrand.data(), strBrand.size());
    for (uint32_t n = 0; n < 3; ++n) {
        uint32_t dw[4];
        std::memcpy(dw, bytes + 16 * n, 16);  // little-endian: the first character in the lowest byte
        CpuidLeaf leaf;
        leaf.Plain = {dw[0], dw[1], dw[2], dw[3]};
        cpuid[LEAF_BRAND_FIRST + n] = leaf;
    }
    return true;
}

bool CBoardFileParser::bPci(const json& pci)
{
    if (!m_Reader.bArray(pci, "pci", MAX_PCI_FUNCTIONS))
        return false;
    for (size_t i = 0; i < pci.size(); ++i) {
        std::string strField = CFieldReader::strElement("pci", i);
        PCIFunctionConfig function;
        if (!bPciFunction(pci[i], strField, function))
            return false;
        for (size_t j = 0; j < m_Config.Pci.size(); ++j) {
            const PCIFunctionConfig& other = m_Config.Pci[j];
            if (other.nBus == function.nBus && other.nDevice == function.nDevice && other.nFunction == function.nFunction) {
                char szAt[16];
                std::snprintf(szAt, sizeof szAt, "%02x:%02x.%x", function.nBus, function.nDevice, function.nFunction);
                return m_Reader.bFail(strField + ".at",
                                      std::string("function ") + szAt + " is already given by pci[" + std::to_string(j) + "]");
            }
        }
        m_Config.Pci.push_back(std::move(function));
    }
    return true;
}

bool CBoardFileParser::bPciFunction(const json& function, const std::string& strField, PCIFunctionConfig& config)
{
    if (!m_Reader.bObject(function, strField) ||
        !m_Reader.bKnownKeys(function, strField, {"at", "id", "class", "rev", "header", "subsystem", "regs", "visible_when",
                                                      "kernel_driver"}))
        return false;
    if (!function.contains("at"))
        return m_Reader.bFail(strField + ".at", "is missing (write \"00:1f.3\")");
    if (!function.contains("id"))
        return m_Reader.bFail(strField + ".id", "is missing (write \"8086:283e\")");
    if (!bPciAddress(function["at"], strField + ".at", config))
        return false;
    config.pConfig = std::make_unique<std::array<uint8_t, 4096>>();
    std::array<uint8_t, 4096>& space = *config.pConfig;
    space.fill(0);
    auto putWord = [&](unsigned nOffset, uint16_t w) {
        space[nOffset] = uint8_t(w);
        space[nOffset + 1] = uint8_t(w >> 8);
    };
    uint16_t wVendor = 0, wDevice = 0;
    if (!bIdPair(function["id"], strField + ".id", wVendor, wDevice))
        return false;
    putWord(0x00, wVendor);
    putWord(0x02, wDevice);
    if (function.contains("class")) {
        const json& value = function["class"];
        uint64_t qwClass = 0;
        if (!value.is_string() || !bParseHexDigits(value.get_ref<const std::string&>(), 6, qwClass))
            return m_Reader.bFail(strField + ".class",
                                  "must be six hexadecimal digits: class, sub-class, interface (\"0c0500\")");
        space[0x09] = uint8_t(qwClass);
        space[0x0A] = uint8_t(qwClass >> 8);
        space[0x0B] = uint8_t(qwClass >> 16);
    }
    uint64_t qwValue = 0;
    if (function.contains("rev")) {
        if (!m_Reader.bNumber(function["rev"], strField + ".rev", 0xFF, qwValue))
            return false;
        space[0x08] = uint8_t(qwValue);
    }
    if (function.contains("header")) {
        if (!m_Reader.bNumber(function["header"], strField + ".header", 0xFF, qwValue))
            return false;
        space[0x0E] = uint8_t(qwValue);
    }
    if (function.contains("subsystem")) {
        uint16_t wSubVendor = 0, wSubsystem = 0;
        if (!bIdPair(function["subsystem"], strField + ".subsystem", wSubVendor, wSubsystem))
            return false;
        // Header type 0 keeps the subsystem ids at 0x2C, the CardBus bridge (type 2) at 0x40.
        unsigned nLayout = space[0x0E] & 0x7F;
        if (nLayout != 0 && nLayout != 2)
            return m_Reader.bFail(strField + ".subsystem",
                                  "a bridge of header type 1 has no subsystem ids in its header");
        unsigned nOffset = nLayout == 0 ? 0x2C : 0x40;
        putWord(nOffset, wSubVendor);
        putWord(nOffset + 2, wSubsystem);
    }
    if (function.contains("regs") && !bPciRegs(function["regs"], strField + ".regs", space))
        return false;
    if (function.contains("visible_when") &&
        !bParsePCIVisibility(m_Reader, function["visible_when"], strField + ".visible_when", config.Visibility))
        return false;
    if (function.contains("kernel_driver")) {
        const json& value = function["kernel_driver"];
        if (!value.is_string() || value.get_ref<const std::string&>().empty() ||
            value.get_ref<const std::string&>().size() > 64)
            return m_Reader.bFail(strField + ".kernel_driver", "must be a driver name such as \"i801_smbus\"");
        config.strKernelDriver = value.get<std::string>();
    }
    return true;
}

bool CBoardFileParser::bPciAddress(const json& at, const std::string& strField, PCIFunctionConfig& config)
{
    const std::string strExpected = "is not a PCI address BB:DD.F (bus and device in hexadecimal, device up to "
                                    "1f, function 0 to 7)";
    if (!at.is_string())
        return m_Reader.bFail(strField, strExpected);
    const std::string& strAt = at.get_ref<const std::string&>();
    uint64_t qwBus = 0, qwDevice = 0, qwFunction = 0;
    if (strAt.size() != 7 || strAt[2] != ':' || strAt[5] != '.' || !bParseHexDigits(strAt.substr(0, 2), 2, qwBus) ||
        !bParseHexDigits(strAt.substr(3, 2), 2, qwDevice) || !bParseHexDigits(strAt.substr(6, 1), 1, qwFunction) ||
        qwDevice > 0x1F || qwFunction > 7)
        return m_Reader.bFail(strField, strQuote(strAt) + " " + strExpected);
    config.nBus = uint8_t(qwBus);
    config.nDevice = uint8_t(qwDevice);
    config.nFunction = uint8_t(qwFunction);
    return true;
}

bool CBoardFileParser::bIdPair(const json& value, const std::string& strField, uint16_t& wFirst, uint16_t& wSecond)
{
    uint64_t qwFirst = 0, qwSecond = 0;
    if (!value.is_string())
        return m_Reader.bFail(strField, "must be a text of two ids \"vvvv:dddd\" in hexadecimal");
    const std::string& strIds = value.get_ref<const std::string&>();
    if (strIds.size() != 9 || strIds[4] != ':' || !bParseHexDigits(strIds.substr(0, 4), 4, qwFirst) ||
        !bParseHexDigits(strIds.substr(5, 4), 4, qwSecond))
        return m_Reader.bFail(strField, strQuote(strIds) + " is not two ids \"vvvv:dddd\" in hexadecimal");
    wFirst = uint16_t(qwFirst);
    wSecond = uint16_t(qwSecond);
    return true;
}

bool CBoardFileParser::bPciRegs(const json& regs, const std::string& strField, std::array<uint8_t, 4096>& space)
{
    if (!m_Reader.bObject(regs, strField))
        return false;
    for (const auto& item : regs.items()) {
        std::string strEntry = CFieldReader::strMember(strField, item.key());
        const std::string& strKey = item.key();
        size_t nDot = strKey.rfind('.');
        uint64_t qwOffset = 0;
        unsigned nWidth = 0;
        if (nDot != std::string::npos && nDot + 2 == strKey.size()) {
            char cWidth = strKey[nDot + 1];
            nWidth = cWidth == 'b' ? 1 : cWidth == 'w' ? 2 : cWidth == 'l' ? 4 : 0;
        }
        if (nWidth == 0 || !bParseNumberText(std::string_view(strKey).substr(0, nDot), 0xFFF, qwOffset))
            return m_Reader.bFail(strEntry, "the key must be an offset below 0x1000 and a width: \"0x40.b\", "
                                            "\"0x40.w\" or \"0x40.l\"");
        if (qwOffset + nWidth > space.size())
            return m_Reader.bFail(strEntry, "runs past the end of the 4096-byte configuration space");
        uint64_t qwValue = 0;
        if (!m_Reader.bNumber(item.value(), strEntry, (uint64_t(1) << (8 * nWidth)) - 1, qwValue))
            return false;
        for (unsigned b = 0; b < nWidth; ++b)
            space[size_t(qwOffset) + b] = uint8_t(qwValue >> (8 * b));
    }
    return true;
}

bool CBoardFileParser::bMemory(const json& memory)
{
    if (!m_Reader.bArray(memory, "memory", 64))
        return false;
    uint64_t qwTotal = 0;
    for (size_t i = 0; i < memory.size(); ++i) {
        std::string strField = CFieldReader::strElement("memory", i);
        const json& region = memory[i];
        if (!m_Reader.bObject(region, strField) || !m_Reader.bKnownKeys(region, strField, {"base", "size", "hex"}))
            return false;
        if (!region.contains("base") || !region.contains("size"))
            return m_Reader.bFail(strField, "needs a base and a size");
        MemoryRegionConfig config;
        if (!m_Reader.bNumber(region["base"], strField + ".base", UINT64_MAX, config.qwBase) ||
            !m_Reader.bNumber(region["size"], strField + ".size", MAX_MEMORY_BYTES, config.qwSize))
            return false;
        if (config.qwSize == 0)
            return m_Reader.bFail(strField + ".size", "must not be 0");
        if (config.qwBase > UINT64_MAX - (config.qwSize - 1))
            return m_Reader.bFail(strField, "runs past the end of the physical address space");
        qwTotal += config.qwSize;
        if (qwTotal > MAX_MEMORY_BYTES)
            return m_Reader.bFail(strField + ".size", "the regions together exceed the " +
                                                          std::to_string(MAX_MEMORY_BYTES >> 20) + " MiB a board may have");
        if (region.contains("hex") && !m_Reader.bHexBytes(region["hex"], strField + ".hex", config.qwSize, config.Bytes))
            return false;
        m_Config.Memory.push_back(std::move(config));
    }
    return true;
}

bool CBoardFileParser::bEnhancedConfig(const json& enhanced)
{
    const std::string strField = "enhanced_config";
    if (!m_Reader.bObject(enhanced, strField) || !m_Reader.bKnownKeys(enhanced, strField, {"base", "buses"}))
        return false;
    if (!enhanced.contains("base"))
        return m_Reader.bFail(strField + ".base", "is missing");
    uint64_t qwBuses = 256;
    if (!m_Reader.bNumber(enhanced["base"], strField + ".base", UINT64_MAX, m_Config.qwEnhancedBase) ||
        (enhanced.contains("buses") && !m_Reader.bNumber(enhanced["buses"], strField + ".buses", 256, qwBuses)))
        return false;
    if (qwBuses == 0)
        return m_Reader.bFail(strField + ".buses", "must be at least 1");
    if (m_Config.qwEnhancedBase == 0 || (m_Config.qwEnhancedBase & 0xFFFFF) != 0)
        return m_Reader.bFail(strField + ".base", "must be a non-zero multiple of 1 MiB (0x100000)");
    if (m_Config.qwEnhancedBase > UINT64_MAX - ((qwBuses << 20) - 1))
        return m_Reader.bFail(strField, "runs past the end of the physical address space");
    m_Config.nEnhancedBuses = uint32_t(qwBuses);
    return true;
}

bool CBoardFileParser::bPMTimer(const json& pmTimer)
{
    if (!m_Reader.bObject(pmTimer, "pm_timer") || !m_Reader.bKnownKeys(pmTimer, "pm_timer", {"port"}))
        return false;
    if (!pmTimer.contains("port"))
        return m_Reader.bFail("pm_timer.port", "is missing");
    uint64_t qwPort = 0;
    if (!m_Reader.bNumber(pmTimer["port"], "pm_timer.port", 0x10000 - PM_TIMER_PORTS, qwPort))
        return false;
    if (qwPort == 0)
        return m_Reader.bFail("pm_timer.port", "must not be 0");
    m_Config.wPMTimerPort = uint16_t(qwPort);
    return true;
}

bool CBoardFileParser::bApic(const json& apic)
{
    if (!m_Reader.bObject(apic, "apic") || !m_Reader.bKnownKeys(apic, "apic", {"base", "timer_running"}))
        return false;
    if (apic.contains("base")) {
        if (!m_Reader.bNumber(apic["base"], "apic.base", 0xFFFFFFFFFFFFF000ull, m_Config.qwApicBase))
            return false;
        if (m_Config.qwApicBase == 0 || (m_Config.qwApicBase & (APIC_PAGE - 1)) != 0)
            return m_Reader.bFail("apic.base", "must be a non-zero multiple of 4 KiB (0x1000)");
    }
    if (apic.contains("timer_running") && !m_Reader.bBool(apic["timer_running"], "apic.timer_running",
                                                          m_Config.bApicTimerRunning))
        return false;
    return true;
}

bool CBoardFileParser::bCheckLayout()
{
    struct Range {
        uint64_t qwFirst, qwLast;
        std::string strField;
    };
    std::vector<Range> ranges;
    for (size_t i = 0; i < m_Config.Memory.size(); ++i)
        ranges.push_back({m_Config.Memory[i].qwBase, m_Config.Memory[i].qwBase + (m_Config.Memory[i].qwSize - 1),
                          CFieldReader::strElement("memory", i)});
    if (m_Config.nEnhancedBuses)
        ranges.push_back({m_Config.qwEnhancedBase,
                          m_Config.qwEnhancedBase + ((uint64_t(m_Config.nEnhancedBuses) << 20) - 1), "enhanced_config"});
    ranges.push_back({m_Config.qwApicBase, m_Config.qwApicBase + (APIC_PAGE - 1), "apic"});
    for (size_t i = 0; i < ranges.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (ranges[i].qwFirst <= ranges[j].qwLast && ranges[j].qwFirst <= ranges[i].qwLast)
                return m_Reader.bFail(ranges[i].strField, "overlaps " + ranges[j].strField);
    if (m_Config.wPMTimerPort && m_Config.wPMTimerPort + PM_TIMER_PORTS > CONFIG_PORT_FIRST &&
        m_Config.wPMTimerPort < CONFIG_PORT_END)
        return m_Reader.bFail("pm_timer.port", "overlaps the configuration ports 0xCF8 to 0xCFF");
    return true;
}

}  // namespace

bool bParseBoardFile(const std::string& strText, const std::string& strLabel, BoardConfig& config,
                     std::string& strError)
{
    CFieldReader reader(strLabel.empty() ? "unnamed" : strLabel);
    if (strText.size() > MAX_BOARD_FILE_BYTES) {
        reader.bFail("", "the file is larger than " + std::to_string(MAX_BOARD_FILE_BYTES >> 20) + " MiB");
        strError = reader.strError();
        return false;
    }
    if (!bNestingWithin(strText, MAX_JSON_DEPTH)) {
        reader.bFail("", "bad JSON: nested deeper than " + std::to_string(MAX_JSON_DEPTH) + " levels");
        strError = reader.strError();
        return false;
    }
    json root;
    try {
        root = json::parse(strText);
    } catch (const json::parse_error& e) {
        // The parser's own message quotes what it last read; a file that is not a board at
        // all (a path given by mistake) must not be echoed, so only the position is told.
        size_t nLine = 0, nColumn = 0;
        vLineColumn(strText, e.byte == 0 ? 0 : e.byte - 1, nLine, nColumn);
        reader.bFail("", "bad JSON at line " + std::to_string(nLine) + ", column " + std::to_string(nColumn));
        strError = reader.strError();
        return false;
    }
    // A board read from a text has no file name to go by: it is named by its name field.
    std::string strBoard = strLabel;
    if (strBoard.empty()) {
        strBoard = "unnamed";
        if (root.is_object() && root.contains("name") && root["name"].is_string()) {
            const std::string& strName = root["name"].get_ref<const std::string&>();
            bool bPrintable = !strName.empty() && strName.size() <= 64;
            for (unsigned char c : strName)
                bPrintable = bPrintable && c >= 0x20 && c < 0x7F;
            if (bPrintable)
                strBoard = strName;
        }
    }
    CBoardFileParser parser(strBoard, config);
    if (!parser.bParse(root)) {
        strError = parser.strError();
        return false;
    }
    return true;
}

}  // namespace sim
