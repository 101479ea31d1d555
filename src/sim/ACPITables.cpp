// SPDX-License-Identifier: GPL-2.0-or-later
// The "acpi" section of a board file (documented in boards/README.md) and the firmware
// tables built from it, in the published ACPI layouts.
#include "sim/ACPITables.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace sim {

namespace {

constexpr uint32_t HEADER_BYTES = 36;
constexpr uint32_t RSDP_V1_BYTES = 20;
constexpr uint32_t RSDP_V2_BYTES = 36;
constexpr uint64_t PAGE = 0x1000;
constexpr uint64_t DEFAULT_RSDP = 0xF6A40;
constexpr uint64_t DEFAULT_TABLES = 0x7FEF0000;
constexpr uint32_t IO_APIC_ADDRESS = 0xFEC00000;
constexpr uint32_t UNMAPPED_TABLE = 0xDEAD0000;  // an address no board puts memory at
constexpr uint32_t HUGE_TABLE_LENGTH = 0x10000;
constexpr uint32_t SHORT_TABLE_LENGTH = 8;
constexpr uint32_t HUGE_RSDT_LENGTH = 0xFFFFFFF0;
constexpr uint32_t SHORT_RSDT_LENGTH = 20;
constexpr size_t CROWDED_RSDT_ENTRIES = 20;

// Damage the section can ask for, by name.
enum Damage : unsigned {
    DAMAGE_RSDP_CHECKSUM = 1u << 0,
    DAMAGE_RSDP_CHECKSUM_FIRST = 1u << 1,
    DAMAGE_RSDT_LENGTH_HUGE = 1u << 2,
    DAMAGE_RSDT_LENGTH_SHORT = 1u << 3,
    DAMAGE_RSDT_20_ENTRIES = 1u << 4,
    DAMAGE_ENTRY_UNMAPPED = 1u << 5,
    DAMAGE_ENTRY_GARBAGE = 1u << 6,
    DAMAGE_TABLE_LENGTH_HUGE = 1u << 7,
    DAMAGE_TABLE_LENGTH_SHORT = 1u << 8,
};

struct DamageName {
    const char* pszName;
    unsigned nFlag;
};
const DamageName s_Damages[] = {
    {"rsdp_bad_checksum", DAMAGE_RSDP_CHECKSUM},
    {"rsdp_bad_checksum_first", DAMAGE_RSDP_CHECKSUM_FIRST},
    {"rsdt_length_huge", DAMAGE_RSDT_LENGTH_HUGE},
    {"rsdt_length_short", DAMAGE_RSDT_LENGTH_SHORT},
    {"rsdt_20_entries", DAMAGE_RSDT_20_ENTRIES},
    {"rsdt_entry_unmapped", DAMAGE_ENTRY_UNMAPPED},
    {"rsdt_entry_garbage", DAMAGE_ENTRY_GARBAGE},
    {"table_length_huge", DAMAGE_TABLE_LENGTH_HUGE},
    {"table_length_short", DAMAGE_TABLE_LENGTH_SHORT},
};

// The FADT's natural length for each revision: 1.0, 1.0b with the reset register, 2.0 and
// 3.0 with the extended blocks, 5.0 with the sleep registers, 6.0 with the hypervisor id.
const uint32_t s_FADTLengths[] = {0, 116, 129, 244, 244, 268, 276};
constexpr unsigned MAX_FADT_REVISION = 6;

struct ACPISection {
    char szOemId[6];
    char szOemTableId[8];
    uint32_t dwOemRevision = 1;
    uint64_t qwRsdp = DEFAULT_RSDP;
    uint64_t qwTables = DEFAULT_TABLES;
    unsigned nRevision = 0;
    unsigned nFADTRevision = 0;
    bool bFADTLength = false;
    uint32_t dwFADTLength = 0;
    unsigned nDamage = 0;
};

void vPut8(std::vector<uint8_t>& t, size_t nAt, uint64_t v) { t[nAt] = uint8_t(v); }
void vPut16(std::vector<uint8_t>& t, size_t nAt, uint64_t v)
{
    for (size_t i = 0; i < 2; ++i) t[nAt + i] = uint8_t(v >> (8 * i));
}
void vPut32(std::vector<uint8_t>& t, size_t nAt, uint64_t v)
{
    for (size_t i = 0; i < 4; ++i) t[nAt + i] = uint8_t(v >> (8 * i));
}
void vPut64(std::vector<uint8_t>& t, size_t nAt, uint64_t v)
{
    for (size_t i = 0; i < 8; ++i) t[nAt + i] = uint8_t(v >> (8 * i));
}

uint8_t bSum(const uint8_t* p, size_t nCount)
{
    uint8_t b = 0;
    for (size_t i = 0; i < nCount; ++i) b = uint8_t(b + p[i]);
    return b;
}

// Sets the byte at nChecksum so that the first nCount bytes add up to 0.
void vChecksum(std::vector<uint8_t>& t, size_t nChecksum, size_t nCount)
{
    t[nChecksum] = 0;
    t[nChecksum] = uint8_t(0x100 - bSum(t.data(), std::min(nCount, t.size())));
}

// A table of nBytes (at least a header) with its header filled in; the length field says
// dwLength, which damaged tables set apart from the bytes really there.
std::vector<uint8_t> Table(const char* pszSignature, size_t nBytes, uint32_t dwLength, uint8_t bRevision,
                           const ACPISection& section)
{
    std::vector<uint8_t> t(std::max<size_t>(nBytes, HEADER_BYTES), 0);
    std::memcpy(t.data(), pszSignature, 4);
    vPut32(t, 4, dwLength);
    vPut8(t, 8, bRevision);
    std::memcpy(t.data() + 10, section.szOemId, 6);
    std::memcpy(t.data() + 16, section.szOemTableId, 8);
    vPut32(t, 24, section.dwOemRevision);
    std::memcpy(t.data() + 28, "MSFT", 4);
    vPut32(t, 32, 0x97);
    return t;
}

void vTableChecksum(std::vector<uint8_t>& t) { vChecksum(t, 9, std::min<size_t>(t.size(), 4096)); }

// A generic address structure: system I/O space.
void vPutIoAddress(std::vector<uint8_t>& t, size_t nAt, uint32_t dwPort, unsigned nBytes)
{
    if (!dwPort) return;
    vPut8(t, nAt, 1);
    vPut8(t, nAt + 1, nBytes * 8);
    vPut64(t, nAt + 4, dwPort);
}

struct Addresses {
    uint32_t dwFACS = 0, dwDSDT = 0;
};

std::vector<uint8_t> FADT(const ACPISection& section, const BoardConfig& config, const Addresses& at)
{
    const uint32_t dwNatural = s_FADTLengths[section.nFADTRevision];
    const uint32_t dwLength = section.bFADTLength ? section.dwFADTLength : dwNatural;
    const size_t nBytes = std::max<size_t>(dwNatural, dwLength <= 4096 ? dwLength : 0);
    std::vector<uint8_t> t = Table("FACP", nBytes, dwLength, uint8_t(section.nFADTRevision), section);
    // The power management blocks of an ICH-style ACPI base: events at +0, control at +4,
    // the timer at +8, general purpose events at +0x28.
    const uint32_t dwTimer = config.wPMTimerPort;
    const uint32_t dwBase = dwTimer >= 8 ? dwTimer - 8 : 0;
    vPut32(t, 36, at.dwFACS);
    vPut32(t, 40, at.dwDSDT);
    vPut8(t, 45, 1);        // desktop
    vPut16(t, 46, 9);       // SCI on IRQ 9
    vPut32(t, 48, 0xB2);    // SMI command port
    vPut8(t, 52, 0xA0);     // ACPI enable
    vPut8(t, 53, 0xA1);     // ACPI disable
    if (dwBase) {
        vPut32(t, 56, dwBase);
        vPut32(t, 64, dwBase + 4);
        vPut32(t, 80, dwBase + 0x28);
        vPut8(t, 88, 4);
        vPut8(t, 89, 2);
        vPut8(t, 92, 8);
    }
    vPut32(t, 76, dwTimer);
    vPut8(t, 91, dwTimer ? 4 : 0);
    vPut16(t, 96, 101);     // C2 latency: not supported
    vPut16(t, 98, 1001);    // C3 latency: not supported
    vPut8(t, 108, 0x32);    // RTC century register
    vPut16(t, 109, 3);      // legacy devices, 8042
    vPut32(t, 112, 0x000004A5);  // WBINVD, C1, power button, RTC S4, reset register (24-bit timer)
    if (dwNatural >= 129) {  // the reset register
        vPutIoAddress(t, 116, 0xCF9, 1);
        vPut8(t, 128, 0x06);
    }
    if (dwNatural >= 244) {
        vPut64(t, 132, at.dwFACS);
        vPut64(t, 140, at.dwDSDT);
        if (dwBase) {
            vPutIoAddress(t, 148, dwBase, 4);
            vPutIoAddress(t, 172, dwBase + 4, 2);
            vPutIoAddress(t, 220, dwBase + 0x28, 8);
        }
        vPutIoAddress(t, 208, dwTimer, 4);
    }
    vTableChecksum(t);
    return t;
}

std::vector<uint8_t> FACS()
{
    std::vector<uint8_t> t(64, 0);
    std::memcpy(t.data(), "FACS", 4);
    vPut32(t, 4, 64);
    vPut32(t, 8, 0x1C1D5E3A);  // hardware signature
    vPut8(t, 32, 1);
    return t;
}

std::vector<uint8_t> DSDT(const ACPISection& section)
{
    // A stub definition block: Name (_S5, Package () {7, 7, 0, 0}).
    static const uint8_t aml[] = {0x08, '_', 'S', '5', '_', 0x12, 0x08, 0x04, 0x0A, 0x07, 0x0A, 0x07, 0x00, 0x00};
    std::vector<uint8_t> t = Table("DSDT", HEADER_BYTES + sizeof aml, HEADER_BYTES + sizeof aml, 1, section);
    std::memcpy(t.data() + HEADER_BYTES, aml, sizeof aml);
    vTableChecksum(t);
    return t;
}

std::vector<uint8_t> MADT(const ACPISection& section, const BoardConfig& config)
{
    const size_t nBytes = HEADER_BYTES + 8 + 8 * config.Cpus.size() + 12 + 2 * 10;
    std::vector<uint8_t> t = Table("APIC", nBytes, uint32_t(nBytes), section.nFADTRevision >= 3 ? 2 : 1, section);
    vPut32(t, 36, config.qwApicBase);
    vPut32(t, 40, 1);  // dual 8259s present
    size_t nAt = HEADER_BYTES + 8;
    for (size_t i = 0; i < config.Cpus.size(); ++i, nAt += 8) {
        vPut8(t, nAt, 0);
        vPut8(t, nAt + 1, 8);
        vPut8(t, nAt + 2, i + 1);
        vPut8(t, nAt + 3, config.Cpus[i].nApicId);
        vPut32(t, nAt + 4, 1);  // enabled
    }
    vPut8(t, nAt, 1);
    vPut8(t, nAt + 1, 12);
    vPut8(t, nAt + 2, config.Cpus.size() & 0xFF);
    vPut32(t, nAt + 4, IO_APIC_ADDRESS);
    nAt += 12;
    // The timer on IRQ 0 reaches input 2; the SCI is level triggered, active high.
    const uint8_t overrides[2][3] = {{0, 2, 0x00}, {9, 9, 0x0D}};
    for (const auto& o : overrides) {
        vPut8(t, nAt, 2);
        vPut8(t, nAt + 1, 10);
        vPut8(t, nAt + 3, o[0]);
        vPut32(t, nAt + 4, o[1]);
        vPut16(t, nAt + 8, o[2]);
        nAt += 10;
    }
    vTableChecksum(t);
    return t;
}

std::vector<uint8_t> MCFG(const ACPISection& section, const BoardConfig& config)
{
    std::vector<uint8_t> t = Table("MCFG", 60, 60, 1, section);
    vPut64(t, 44, config.qwEnhancedBase);
    vPut8(t, 55, config.nEnhancedBuses - 1);
    vTableChecksum(t);
    return t;
}

// Bytes that follow no layout, the same for every build of the board.
std::vector<uint8_t> Garbage(size_t nBytes, uint32_t dwLength)
{
    std::vector<uint8_t> t(nBytes);
    uint32_t x = 0x2545F491;
    for (uint8_t& b : t) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x);
    }
    vPut32(t, 4, dwLength);
    return t;
}

class CACPIBuilder {
public:
    CACPIBuilder(CFieldReader& reader, BoardConfig& config) : m_Reader(reader), m_Config(config) {}
    bool bDecode(const json& acpi, ACPISection& section);
    bool bBuild(const ACPISection& section);

private:
    bool bOemText(const json& value, const std::string& strField, size_t nLength, char* pOut);
    bool bDamage(const json& damage, unsigned& nDamage);
    // Writes bytes into the region that holds them, or into a region of whole pages made for
    // them when no region is there.
    bool bPlace(uint64_t qwAddress, const std::vector<uint8_t>& bytes, const std::string& strField);

    CFieldReader& m_Reader;
    BoardConfig& m_Config;
};

bool CACPIBuilder::bOemText(const json& value, const std::string& strField, size_t nLength, char* pOut)
{
    std::string strText;
    if (!m_Reader.bString(value, strField, nLength, strText)) return false;
    std::memset(pOut, ' ', nLength);
    std::memcpy(pOut, strText.data(), strText.size());
    return true;
}

bool CACPIBuilder::bDamage(const json& damage, unsigned& nDamage)
{
    if (!m_Reader.bArray(damage, "acpi.damage", std::size(s_Damages))) return false;
    for (size_t i = 0; i < damage.size(); ++i) {
        const std::string strField = CFieldReader::strElement("acpi.damage", i);
        std::string strName;
        if (!m_Reader.bString(damage[i], strField, 64, strName)) return false;
        const DamageName* pFound = nullptr;
        for (const DamageName& d : s_Damages)
            if (strName == d.pszName) pFound = &d;
        if (!pFound) {
            std::string strKnown;
            for (const DamageName& d : s_Damages) strKnown += std::string(strKnown.empty() ? "" : ", ") + d.pszName;
            return m_Reader.bFail(strField, strQuote(strName) + " is not a kind of damage (" + strKnown + ")");
        }
        nDamage |= pFound->nFlag;
    }
    return true;
}

bool CACPIBuilder::bDecode(const json& acpi, ACPISection& section)
{
    if (!m_Reader.bObject(acpi, "acpi") ||
        !m_Reader.bKnownKeys(acpi, "acpi", {"oem_id", "oem_table_id", "oem_revision", "rsdp", "tables", "revision",
                                            "fadt_revision", "fadt_length", "damage"}))
        return false;
    std::memcpy(section.szOemId, "PNDLN ", 6);
    std::memcpy(section.szOemTableId, "SIMBOARD", 8);
    if (acpi.contains("oem_id") && !bOemText(acpi["oem_id"], "acpi.oem_id", 6, section.szOemId)) return false;
    if (acpi.contains("oem_table_id") && !bOemText(acpi["oem_table_id"], "acpi.oem_table_id", 8, section.szOemTableId))
        return false;
    uint64_t qw = 0;
    if (acpi.contains("oem_revision")) {
        if (!m_Reader.bNumber(acpi["oem_revision"], "acpi.oem_revision", UINT32_MAX, qw)) return false;
        section.dwOemRevision = uint32_t(qw);
    }
    if (acpi.contains("rsdp") && !m_Reader.bNumber(acpi["rsdp"], "acpi.rsdp", UINT32_MAX - RSDP_V2_BYTES, section.qwRsdp))
        return false;
    if (section.qwRsdp % 16) return m_Reader.bFail("acpi.rsdp", "must be a multiple of 16 (where software looks)");
    if (acpi.contains("tables") && !m_Reader.bNumber(acpi["tables"], "acpi.tables", UINT32_MAX - 0x10000, section.qwTables))
        return false;
    if (section.qwTables % 16) return m_Reader.bFail("acpi.tables", "must be a multiple of 16");
    if (acpi.contains("revision")) {
        if (!m_Reader.bNumber(acpi["revision"], "acpi.revision", 2, qw)) return false;
        if (qw == 1) return m_Reader.bFail("acpi.revision", "must be 0 (ACPI 1.0) or 2 (ACPI 2.0 and later)");
        section.nRevision = unsigned(qw);
    }
    section.nFADTRevision = section.nRevision == 2 ? 3 : 1;
    if (acpi.contains("fadt_revision")) {
        if (!m_Reader.bNumber(acpi["fadt_revision"], "acpi.fadt_revision", MAX_FADT_REVISION, qw)) return false;
        if (qw == 0) return m_Reader.bFail("acpi.fadt_revision", "must be 1 to 6");
        section.nFADTRevision = unsigned(qw);
    }
    if (acpi.contains("fadt_length")) {
        if (!m_Reader.bNumber(acpi["fadt_length"], "acpi.fadt_length", UINT32_MAX, qw)) return false;
        section.bFADTLength = true;
        section.dwFADTLength = uint32_t(qw);
    }
    if (acpi.contains("damage") && !bDamage(acpi["damage"], section.nDamage)) return false;
    if ((section.nDamage & DAMAGE_RSDP_CHECKSUM_FIRST) && section.qwRsdp < 16)
        return m_Reader.bFail("acpi.damage", "rsdp_bad_checksum_first needs room for a copy 16 bytes below acpi.rsdp");
    return true;
}

bool CACPIBuilder::bPlace(uint64_t qwAddress, const std::vector<uint8_t>& bytes, const std::string& strField)
{
    const uint64_t qwLast = qwAddress + (bytes.size() - 1);
    for (size_t i = 0; i < m_Config.Memory.size(); ++i) {
        MemoryRegionConfig& region = m_Config.Memory[i];
        const uint64_t qwRegionLast = region.qwBase + (region.qwSize - 1);
        if (qwAddress > qwRegionLast || qwLast < region.qwBase) continue;
        if (qwAddress < region.qwBase || qwLast > qwRegionLast)
            return m_Reader.bFail(strField, "the tables there run across the edge of " +
                                                CFieldReader::strElement("memory", i) +
                                                ": put them inside one memory region or outside all of them");
        const size_t nOffset = size_t(qwAddress - region.qwBase);
        if (region.Bytes.size() < nOffset + bytes.size()) region.Bytes.resize(nOffset + bytes.size(), 0);
        std::copy(bytes.begin(), bytes.end(), region.Bytes.begin() + nOffset);
        return true;
    }
    // Nothing there yet: RAM the firmware reserves for its tables, in whole pages.
    MemoryRegionConfig region;
    region.qwBase = qwAddress & ~(PAGE - 1);
    region.qwSize = ((qwLast | (PAGE - 1)) + 1) - region.qwBase;
    for (size_t i = 0; i < m_Config.Memory.size(); ++i) {
        const MemoryRegionConfig& other = m_Config.Memory[i];
        if (region.qwBase <= other.qwBase + (other.qwSize - 1) && other.qwBase <= region.qwBase + (region.qwSize - 1))
            return m_Reader.bFail(strField, "the page the tables need there is partly taken by " +
                                                CFieldReader::strElement("memory", i));
    }
    uint64_t qwTotal = region.qwSize;
    for (const MemoryRegionConfig& other : m_Config.Memory) qwTotal += other.qwSize;
    if (qwTotal > MAX_MEMORY_BYTES)
        return m_Reader.bFail(strField, "the memory for the tables exceeds what a board may have");
    m_Config.Memory.push_back(std::move(region));
    return bPlace(qwAddress, bytes, strField);
}

bool CACPIBuilder::bBuild(const ACPISection& section)
{
    // The tables, one after the other at 16-byte boundaries (the FACS at 64) from acpi.tables.
    struct Piece {
        std::vector<uint8_t> bytes;
        uint64_t qwAt = 0;
    };
    const bool bXsdt = section.nRevision >= 2;
    const bool bMcfg = m_Config.nEnhancedBuses != 0;
    const unsigned n = section.nDamage;

    // First the sizes, so that every table knows where the others are.
    Addresses at;
    uint64_t qwNext = section.qwTables;
    auto reserve = [&](size_t nBytes, uint64_t qwAlign) {
        qwNext = (qwNext + qwAlign - 1) & ~(qwAlign - 1);
        const uint64_t qwAt = qwNext;
        qwNext += nBytes;
        return qwAt;
    };
    std::vector<uint8_t> facs = FACS(), dsdt = DSDT(section), madt = MADT(section, m_Config);
    std::vector<uint8_t> mcfg = bMcfg ? MCFG(section, m_Config) : std::vector<uint8_t>();
    std::vector<uint8_t> huge, shortTable, garbage;
    if (n & DAMAGE_TABLE_LENGTH_HUGE) {
        huge = Table("SSDT", 64, HUGE_TABLE_LENGTH, 1, section);
        vTableChecksum(huge);
    }
    if (n & DAMAGE_TABLE_LENGTH_SHORT) shortTable = Table("SSDT", 64, SHORT_TABLE_LENGTH, 1, section);
    if (n & DAMAGE_ENTRY_GARBAGE) garbage = Garbage(64, 64);

    // The entries: the FADT first, as BIOSes list it; crowded, the FADT comes 20th.
    const size_t nFADTBytes = std::max<size_t>(s_FADTLengths[section.nFADTRevision],
                                               section.bFADTLength && section.dwFADTLength <= 4096 ? section.dwFADTLength : 0);
    size_t nEntries = 2 + (bMcfg ? 1 : 0) + (huge.empty() ? 0 : 1) + (shortTable.empty() ? 0 : 1) +
                      (garbage.empty() ? 0 : 1) + ((n & DAMAGE_ENTRY_UNMAPPED) ? 1 : 0);
    if ((n & DAMAGE_RSDT_20_ENTRIES) && nEntries < CROWDED_RSDT_ENTRIES) nEntries = CROWDED_RSDT_ENTRIES;
    const uint64_t qwRsdt = reserve(HEADER_BYTES + 4 * nEntries, 16);
    const uint64_t qwXsdt = bXsdt ? reserve(HEADER_BYTES + 8 * nEntries, 16) : 0;
    const uint64_t qwFadt = reserve(nFADTBytes, 16);
    at.dwFACS = uint32_t(reserve(facs.size(), 64));
    at.dwDSDT = uint32_t(reserve(dsdt.size(), 16));
    const uint64_t qwMadt = reserve(madt.size(), 16);
    const uint64_t qwMcfg = bMcfg ? reserve(mcfg.size(), 16) : 0;
    const uint64_t qwHuge = huge.empty() ? 0 : reserve(huge.size(), 16);
    const uint64_t qwShort = shortTable.empty() ? 0 : reserve(shortTable.size(), 16);
    const uint64_t qwGarbage = garbage.empty() ? 0 : reserve(garbage.size(), 16);
    if (qwNext > 0xFFFFFFFFull) return m_Reader.bFail("acpi.tables", "the tables run past 4 GiB");

    std::vector<uint64_t> entries;
    const bool bCrowded = (n & DAMAGE_RSDT_20_ENTRIES) != 0;
    if (!bCrowded) entries.push_back(qwFadt);
    entries.push_back(qwMadt);
    if (bMcfg) entries.push_back(qwMcfg);
    if (qwGarbage) entries.push_back(qwGarbage);
    if (n & DAMAGE_ENTRY_UNMAPPED) entries.push_back(UNMAPPED_TABLE);
    if (qwHuge) entries.push_back(qwHuge);
    if (qwShort) entries.push_back(qwShort);
    while (bCrowded && entries.size() + 1 < nEntries) entries.push_back(qwMadt);
    if (bCrowded) entries.push_back(qwFadt);

    uint32_t dwRsdtLength = uint32_t(HEADER_BYTES + 4 * entries.size());
    if (n & DAMAGE_RSDT_LENGTH_HUGE) dwRsdtLength = HUGE_RSDT_LENGTH;
    if (n & DAMAGE_RSDT_LENGTH_SHORT) dwRsdtLength = SHORT_RSDT_LENGTH;
    std::vector<uint8_t> rsdt = Table("RSDT", HEADER_BYTES + 4 * entries.size(), dwRsdtLength, 1, section);
    for (size_t i = 0; i < entries.size(); ++i) vPut32(rsdt, HEADER_BYTES + 4 * i, entries[i]);
    vTableChecksum(rsdt);

    std::vector<Piece> pieces;
    pieces.push_back({std::move(rsdt), qwRsdt});
    if (bXsdt) {
        std::vector<uint8_t> xsdt =
            Table("XSDT", HEADER_BYTES + 8 * entries.size(), uint32_t(HEADER_BYTES + 8 * entries.size()), 1, section);
        for (size_t i = 0; i < entries.size(); ++i) vPut64(xsdt, HEADER_BYTES + 8 * i, entries[i]);
        vTableChecksum(xsdt);
        pieces.push_back({std::move(xsdt), qwXsdt});
    }
    pieces.push_back({FADT(section, m_Config, at), qwFadt});
    pieces.push_back({std::move(facs), at.dwFACS});
    pieces.push_back({std::move(dsdt), at.dwDSDT});
    pieces.push_back({std::move(madt), qwMadt});
    if (bMcfg) pieces.push_back({std::move(mcfg), qwMcfg});
    if (qwHuge) pieces.push_back({std::move(huge), qwHuge});
    if (qwShort) pieces.push_back({std::move(shortTable), qwShort});
    if (qwGarbage) pieces.push_back({std::move(garbage), qwGarbage});

    // One block from the first table to the end of the last, gaps zero.
    std::vector<uint8_t> block(size_t(qwNext - section.qwTables), 0);
    for (const Piece& piece : pieces)
        std::copy(piece.bytes.begin(), piece.bytes.end(), block.begin() + size_t(piece.qwAt - section.qwTables));
    if (!bPlace(section.qwTables, block, "acpi.tables")) return false;

    // The RSDP: 20 bytes for ACPI 1.0, 36 with the XSDT from 2.0 on.
    std::vector<uint8_t> rsdp(bXsdt ? RSDP_V2_BYTES : RSDP_V1_BYTES, 0);
    std::memcpy(rsdp.data(), "RSD PTR ", 8);
    std::memcpy(rsdp.data() + 9, section.szOemId, 6);
    vPut8(rsdp, 15, section.nRevision);
    vPut32(rsdp, 16, qwRsdt);
    if (bXsdt) {
        vPut32(rsdp, 20, RSDP_V2_BYTES);
        vPut64(rsdp, 24, qwXsdt);
    }
    vChecksum(rsdp, 8, RSDP_V1_BYTES);
    if (bXsdt) vChecksum(rsdp, 32, RSDP_V2_BYTES);
    if (n & DAMAGE_RSDP_CHECKSUM) rsdp[8] = uint8_t(rsdp[8] + 1);
    uint64_t qwRsdpAt = section.qwRsdp;
    if (n & DAMAGE_RSDP_CHECKSUM_FIRST) {
        // A stale copy one boundary below: its last four bytes are the good one's first four,
        // and its checksum does not come out.
        std::vector<uint8_t> both(16, 0);
        std::copy(rsdp.begin(), rsdp.begin() + 16, both.begin());
        both.insert(both.end(), rsdp.begin(), rsdp.end());
        vChecksum(both, 8, RSDP_V1_BYTES);
        both[8] = uint8_t(both[8] + 0x5A);
        rsdp = std::move(both);
        qwRsdpAt -= 16;
    }
    return bPlace(qwRsdpAt, rsdp, "acpi.rsdp");
}

}  // namespace

bool bParseACPISection(const json& acpi, CFieldReader& reader, BoardConfig& config)
{
    CACPIBuilder builder(reader, config);
    ACPISection section;
    return builder.bDecode(acpi, section) && builder.bBuild(section);
}

}  // namespace sim
