// SPDX-License-Identifier: GPL-2.0-or-later
// The "smbios" section of a board file (documented in boards/README.md): the structures are
// encoded as the SMBIOS reference lays them out, from the section's own values, and placed
// into the board's RAM with a valid entry point.
#include "sim/SMBIOSTables.h"

#include <cctype>
#include <cstring>

namespace sim {

namespace {

constexpr uint64_t ENTRY_FIRST = 0xF0000;
constexpr uint64_t ENTRY_BYTES = 0x1F;
constexpr uint64_t ENTRY_LAST = 0x100000 - 0x20;  // the whole entry point below 1 MiB
constexpr size_t MAX_TABLE_BYTES = 0xFFFF;
constexpr size_t MAX_STRING = 1024;
constexpr size_t MAX_LIST = 64;
constexpr uint16_t NO_HANDLE = 0xFFFF;
constexpr uint16_t NO_ERROR_INFO = 0xFFFE;

// A structure's formatted area as it is put together, with the strings it refers to.
class CStructure {
public:
    CStructure(uint8_t bType, uint16_t wHandle) { m_Bytes = {bType, 0, uint8_t(wHandle), uint8_t(wHandle >> 8)}; }
    void vByte(uint64_t b) { m_Bytes.push_back(uint8_t(b)); }
    void vWord(uint64_t w) { vBytes(w, 2); }
    void vDword(uint64_t dw) { vBytes(dw, 4); }
    void vQword(uint64_t qw) { vBytes(qw, 8); }
    // The index of a string (0 for an empty one, which the structure leaves out).
    void vString(const std::string& str)
    {
        if (str.empty()) {
            vByte(0);
            return;
        }
        m_Strings.push_back(str);
        vByte(m_Strings.size());
    }
    // The structure with its string area and the double zero that ends it.
    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint8_t> bytes = m_Bytes;
        bytes[1] = uint8_t(m_Bytes.size());
        for (const std::string& str : m_Strings) {
            bytes.insert(bytes.end(), str.begin(), str.end());
            bytes.push_back(0);
        }
        if (m_Strings.empty()) bytes.push_back(0);
        bytes.push_back(0);
        return bytes;
    }

private:
    void vBytes(uint64_t qw, unsigned n)
    {
        for (unsigned i = 0; i < n; ++i) m_Bytes.push_back(uint8_t(qw >> (8 * i)));
    }
    std::vector<uint8_t> m_Bytes;
    std::vector<std::string> m_Strings;
};

class CSMBIOSBuilder {
public:
    CSMBIOSBuilder(CFieldReader& reader, BoardConfig& config) : m_Reader(reader), m_Config(config) {}
    bool bBuild(const json& smbios);

private:
    // Optional members of an object; absent ones keep their default.
    bool bText(const json& object, const std::string& strField, const char* pszKey, std::string& strValue);
    bool bNumber(const json& object, const std::string& strField, const char* pszKey, uint64_t qwMax, uint64_t& qwValue);
    bool bSection(const json& smbios, const char* pszKey, std::initializer_list<std::string_view> keys);
    bool bList(const json& smbios, const char* pszKey, std::initializer_list<std::string_view> keys);

    bool bBios(const json& bios);
    bool bSystem(const json& system);
    bool bBaseboard(const json& board, bool bChassis);
    bool bChassis(const json& chassis);
    bool bProcessor(const json& processor, const std::string& strField);
    bool bCache(const json& cache, const std::string& strField);
    bool bMemoryController(const json& controller, size_t nModules);
    bool bMemoryModule(const json& module, const std::string& strField, size_t nIndex);
    bool bMemoryArray(const json* pArray, size_t nDevices);
    bool bMemoryDevice(const json& device, const std::string& strField, uint16_t wArray);
    bool bRaw(const json& raw, const std::string& strField, bool& bLastUnterminated);
    bool bDamage(const json& damage);
    bool bPlace(uint64_t qwAddress, const std::vector<uint8_t>& bytes, const std::string& strField);

    void vAdd(const CStructure& structure);
    uint16_t wNextHandle() { return m_wHandle++; }

    CFieldReader& m_Reader;
    BoardConfig& m_Config;
    std::vector<uint8_t> m_Table;
    uint16_t m_wHandle = 0;
    uint16_t m_nStructures = 0;
    uint16_t m_wLargest = 0;
    uint8_t m_bMajor = 2, m_bMinor = 4;
    // Damage asked for.
    bool m_bLengthGiven = false, m_bCountGiven = false, m_bBadChecksum = false, m_bNoEnd = false;
    uint64_t m_qwLength = 0, m_qwCount = 0;
    std::vector<uint64_t> m_CacheLevels;  // of the caches, in table order
    uint16_t m_wCacheBase = 0;            // the handle of the first cache
};

bool CSMBIOSBuilder::bText(const json& object, const std::string& strField, const char* pszKey, std::string& strValue)
{
    return !object.contains(pszKey) ||
           m_Reader.bString(object[pszKey], CFieldReader::strMember(strField, pszKey), MAX_STRING, strValue);
}

bool CSMBIOSBuilder::bNumber(const json& object, const std::string& strField, const char* pszKey, uint64_t qwMax,
                             uint64_t& qwValue)
{
    return !object.contains(pszKey) ||
           m_Reader.bNumber(object[pszKey], CFieldReader::strMember(strField, pszKey), qwMax, qwValue);
}

bool CSMBIOSBuilder::bSection(const json& smbios, const char* pszKey, std::initializer_list<std::string_view> keys)
{
    const std::string strField = CFieldReader::strMember("smbios", pszKey);
    return m_Reader.bObject(smbios[pszKey], strField) && m_Reader.bKnownKeys(smbios[pszKey], strField, keys);
}

bool CSMBIOSBuilder::bList(const json& smbios, const char* pszKey, std::initializer_list<std::string_view> keys)
{
    const std::string strField = CFieldReader::strMember("smbios", pszKey);
    if (!m_Reader.bArray(smbios[pszKey], strField, MAX_LIST)) return false;
    for (size_t i = 0; i < smbios[pszKey].size(); ++i) {
        const std::string strElement = CFieldReader::strElement(strField, i);
        if (!m_Reader.bObject(smbios[pszKey][i], strElement) || !m_Reader.bKnownKeys(smbios[pszKey][i], strElement, keys))
            return false;
    }
    return true;
}

void CSMBIOSBuilder::vAdd(const CStructure& structure)
{
    const std::vector<uint8_t> bytes = structure.Bytes();
    m_Table.insert(m_Table.end(), bytes.begin(), bytes.end());
    ++m_nStructures;
    if (bytes.size() > m_wLargest) m_wLargest = uint16_t(bytes.size());
}

bool CSMBIOSBuilder::bBios(const json& bios)
{
    const std::string strField = "smbios.bios";
    std::string strVendor, strVersion, strDate;
    uint64_t qwRomKB = 1024;
    if (!bText(bios, strField, "vendor", strVendor) || !bText(bios, strField, "version", strVersion) ||
        !bText(bios, strField, "date", strDate) || !bNumber(bios, strField, "rom_kb", 16384, qwRomKB))
        return false;
    if (qwRomKB < 64) return m_Reader.bFail(strField + ".rom_kb", "must be at least 64");
    CStructure s(0, wNextHandle());
    s.vString(strVendor);
    s.vString(strVersion);
    s.vWord(0xF000);  // start segment of the BIOS
    s.vString(strDate);
    s.vByte(qwRomKB / 64 - 1);
    s.vQword(0x000000007FCB9E80ull);  // ISA, PCI, PnP, APM, flash, shadowing, boot from CD, EDD ...
    s.vByte(0x03);  // ACPI, USB legacy
    s.vByte(0x01);  // boot order as the BIOS boot standard (BBS) keeps it
    s.vByte(8);     // BIOS release, major and minor
    s.vByte(15);
    s.vByte(0xFF);  // no embedded controller firmware
    s.vByte(0xFF);
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bSystem(const json& system)
{
    const std::string strField = "smbios.system";
    std::string strManufacturer, strProduct, strVersion, strSerial, strUUID, strSKU, strFamily;
    if (!bText(system, strField, "manufacturer", strManufacturer) || !bText(system, strField, "product", strProduct) ||
        !bText(system, strField, "version", strVersion) || !bText(system, strField, "serial", strSerial) ||
        !bText(system, strField, "uuid", strUUID) || !bText(system, strField, "sku", strSKU) ||
        !bText(system, strField, "family", strFamily))
        return false;
    // The 16 bytes of the UUID in table order, as 32 hexadecimal digits with optional dashes.
    std::vector<uint8_t> uuid(16, 0);
    if (system.contains("uuid")) {
        std::string strDigits;
        for (char c : strUUID)
            if (c != '-') strDigits += c;
        uint64_t qwByte = 0;
        if (strDigits.size() != 32) return m_Reader.bFail(strField + ".uuid", "must have 32 hexadecimal digits");
        for (size_t i = 0; i < 16; ++i) {
            if (!bParseHexDigits(std::string_view(strDigits).substr(2 * i, 2), 2, qwByte))
                return m_Reader.bFail(strField + ".uuid", "must have 32 hexadecimal digits");
            uuid[i] = uint8_t(qwByte);
        }
    }
    CStructure s(1, wNextHandle());
    s.vString(strManufacturer);
    s.vString(strProduct);
    s.vString(strVersion);
    s.vString(strSerial);
    for (uint8_t b : uuid) s.vByte(b);
    s.vByte(0x06);  // woken by the power switch
    s.vString(strSKU);
    s.vString(strFamily);
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bBaseboard(const json& board, bool bChassis)
{
    const std::string strField = "smbios.baseboard";
    std::string strManufacturer, strProduct, strVersion, strSerial, strAsset;
    if (!bText(board, strField, "manufacturer", strManufacturer) || !bText(board, strField, "product", strProduct) ||
        !bText(board, strField, "version", strVersion) || !bText(board, strField, "serial", strSerial) ||
        !bText(board, strField, "asset_tag", strAsset))
        return false;
    const uint16_t wHandle = wNextHandle();
    CStructure s(2, wHandle);
    s.vString(strManufacturer);
    s.vString(strProduct);
    s.vString(strVersion);
    s.vString(strSerial);
    s.vString(strAsset);
    s.vByte(0x09);  // a hosting board, replaceable
    s.vString("");
    s.vWord(bChassis ? uint16_t(wHandle + 1) : NO_HANDLE);  // the chassis comes next
    s.vByte(0x0A);  // motherboard
    s.vByte(0);     // no contained objects
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bChassis(const json& chassis)
{
    const std::string strField = "smbios.chassis";
    std::string strManufacturer, strVersion, strSerial, strAsset;
    uint64_t qwType = 0x03;
    if (!bText(chassis, strField, "manufacturer", strManufacturer) || !bNumber(chassis, strField, "type", 0xFF, qwType) ||
        !bText(chassis, strField, "version", strVersion) || !bText(chassis, strField, "serial", strSerial) ||
        !bText(chassis, strField, "asset_tag", strAsset))
        return false;
    CStructure s(3, wNextHandle());
    s.vString(strManufacturer);
    s.vByte(qwType);
    s.vString(strVersion);
    s.vString(strSerial);
    s.vString(strAsset);
    s.vByte(0x03);  // boot-up, power supply and thermal state: safe
    s.vByte(0x03);
    s.vByte(0x03);
    s.vByte(0x03);  // no security
    s.vDword(0);    // OEM defined
    s.vByte(0);     // height unknown
    s.vByte(1);     // one power cord
    s.vByte(0);     // no contained elements
    s.vByte(3);
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bProcessor(const json& processor, const std::string& strField)
{
    std::string strSocket, strManufacturer, strVersion;
    uint64_t qwFamily = 0x02, qwId = 0, qwExternal = 0, qwMax = 0, qwCurrent = 0, qwUpgrade = 0x02;
    if (!bText(processor, strField, "socket", strSocket) ||
        !bText(processor, strField, "manufacturer", strManufacturer) ||
        !bText(processor, strField, "version", strVersion) || !bNumber(processor, strField, "family", 0xFF, qwFamily) ||
        !bNumber(processor, strField, "id", UINT64_MAX, qwId) ||
        !bNumber(processor, strField, "external_mhz", 0xFFFF, qwExternal) ||
        !bNumber(processor, strField, "max_mhz", 0xFFFF, qwMax) ||
        !bNumber(processor, strField, "current_mhz", 0xFFFF, qwCurrent) ||
        !bNumber(processor, strField, "upgrade", 0xFF, qwUpgrade))
        return false;
    // The caches follow the processors; each processor points at the first cache of each level.
    uint16_t awCache[3] = {NO_HANDLE, NO_HANDLE, NO_HANDLE};
    for (size_t i = 0; i < m_CacheLevels.size(); ++i)
        if (awCache[m_CacheLevels[i] - 1] == NO_HANDLE) awCache[m_CacheLevels[i] - 1] = uint16_t(m_wCacheBase + i);
    CStructure s(4, wNextHandle());
    s.vString(strSocket);
    s.vByte(0x03);  // central processor
    s.vByte(qwFamily);
    s.vString(strManufacturer);
    s.vQword(qwId);
    s.vString(strVersion);
    s.vByte(0x8D);  // 1.3 V
    s.vWord(qwExternal);
    s.vWord(qwMax);
    s.vWord(qwCurrent);
    s.vByte(0x41);  // socket populated, processor enabled
    s.vByte(qwUpgrade);
    for (uint16_t w : awCache) s.vWord(w);
    s.vString("");  // serial, asset tag, part number
    s.vString("");
    s.vString("");
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bCache(const json& cache, const std::string& strField)
{
    std::string strDesignation;
    uint64_t qwLevel = 1, qwSizeKB = 0;
    if (!bText(cache, strField, "designation", strDesignation) || !bNumber(cache, strField, "level", 3, qwLevel) ||
        !bNumber(cache, strField, "size_kb", 2047 * 1024, qwSizeKB))
        return false;
    // Sizes of 32 MiB and more are counted in 64 KiB units.
    const uint64_t qwSize = qwSizeKB < 0x8000 ? qwSizeKB : (0x8000 | (qwSizeKB / 64));
    CStructure s(7, wNextHandle());
    s.vString(strDesignation);
    s.vWord(0x0180 | (qwLevel - 1));  // write-back, enabled, internal, not socketed
    s.vWord(qwSize);
    s.vWord(qwSize);
    s.vWord(0x0002);  // SRAM type unknown
    s.vWord(0x0002);
    s.vByte(0);     // speed unknown
    s.vByte(0x05);  // single-bit ECC
    s.vByte(qwLevel == 1 ? 0x04 : 0x05);  // data / unified
    s.vByte(0x07);  // 8-way set-associative
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bMemoryController(const json& controller, size_t nModules)
{
    const std::string strField = "smbios.memory_controller";
    uint64_t qwMaxModuleMB = 1024;
    if (!bNumber(controller, strField, "max_module_mb", uint64_t(1) << 30, qwMaxModuleMB)) return false;
    uint64_t qwPower = 0;
    while ((uint64_t(1) << qwPower) < qwMaxModuleMB) ++qwPower;
    if ((uint64_t(1) << qwPower) != qwMaxModuleMB)
        return m_Reader.bFail(strField + ".max_module_mb", "must be a power of two");
    CStructure s(5, wNextHandle());
    s.vByte(0x03);    // error detection: none
    s.vByte(0x04);    // error correction: none
    s.vByte(0x04);    // one-way interleave supported and used
    s.vByte(0x04);
    s.vByte(qwPower);
    s.vWord(0x0001);  // speeds: other
    s.vWord(0x0500);  // DIMM, SDRAM
    s.vByte(0x00);    // voltage: none of 5, 3.3 and 2.9 V
    s.vByte(nModules);
    for (size_t i = 0; i < nModules; ++i) s.vWord(m_wHandle + i);  // the modules come next
    s.vByte(0x04);
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bMemoryModule(const json& module, const std::string& strField, size_t nIndex)
{
    std::string strSocket;
    uint64_t qwSizeMB = 0;
    bool bDoubleBank = false;
    if (!bText(module, strField, "socket", strSocket) || !bNumber(module, strField, "size_mb", 1u << 30, qwSizeMB) ||
        (module.contains("double_bank") && !m_Reader.bBool(module["double_bank"], strField + ".double_bank", bDoubleBank)))
        return false;
    uint64_t qwPower = 0;
    while ((uint64_t(1) << qwPower) < qwSizeMB) ++qwPower;
    if (qwSizeMB && (uint64_t(1) << qwPower) != qwSizeMB)
        return m_Reader.bFail(strField + ".size_mb", "must be 0 (empty) or a power of two");
    const uint8_t bSize = qwSizeMB ? uint8_t(qwPower | (bDoubleBank ? 0x80 : 0)) : 0x7F;
    CStructure s(6, wNextHandle());
    s.vString(strSocket);
    s.vByte(((2 * nIndex) & 0x0F) << 4 | ((2 * nIndex + 1) & 0x0F));  // RAS lines
    s.vByte(0);        // speed unknown
    s.vWord(0x0500);   // DIMM, SDRAM
    s.vByte(bSize);    // installed
    s.vByte(bSize);    // enabled
    s.vByte(0);        // no errors
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bMemoryArray(const json* pArray, size_t nDevices)
{
    const std::string strField = "smbios.memory_array";
    uint64_t qwMaxMB = 8192, qwDevices = nDevices, qwLocation = 0x03, qwUse = 0x03;
    if (pArray && (!bNumber(*pArray, strField, "max_capacity_mb", uint64_t(1) << 40, qwMaxMB) ||
                   !bNumber(*pArray, strField, "devices", 0xFFFF, qwDevices) ||
                   !bNumber(*pArray, strField, "location", 0xFF, qwLocation) ||
                   !bNumber(*pArray, strField, "use", 0xFF, qwUse)))
        return false;
    const uint64_t qwKB = qwMaxMB * 1024;
    const bool bExtended = qwKB >= 0x80000000ull;
    CStructure s(16, wNextHandle());
    s.vByte(qwLocation);
    s.vByte(qwUse);
    s.vByte(0x03);  // no error correction
    s.vDword(bExtended ? 0x80000000ull : qwKB);
    s.vWord(NO_ERROR_INFO);
    s.vWord(qwDevices);
    if (bExtended) s.vQword(qwMaxMB << 20);
    vAdd(s);
    return true;
}

bool CSMBIOSBuilder::bMemoryDevice(const json& device, const std::string& strField, uint16_t wArray)
{
    std::string strLocator, strBank, strManufacturer, strSerial, strAsset, strPart;
    uint64_t qwSizeMB = 0, qwSpeed = 0, qwType = 0x02, qwFormFactor = 0x09, qwTotal = 64, qwData = 64;
    if (!bText(device, strField, "locator", strLocator) || !bText(device, strField, "bank", strBank) ||
        !bText(device, strField, "manufacturer", strManufacturer) || !bText(device, strField, "serial", strSerial) ||
        !bText(device, strField, "asset_tag", strAsset) || !bText(device, strField, "part", strPart) ||
        !bNumber(device, strField, "size_mb", 0x7FFFFFFF, qwSizeMB) ||
        !bNumber(device, strField, "speed_mhz", 0xFFFE, qwSpeed) || !bNumber(device, strField, "type", 0xFF, qwType) ||
        !bNumber(device, strField, "form_factor", 0xFF, qwFormFactor) ||
        !bNumber(device, strField, "total_width", 0xFFFF, qwTotal) ||
        !bNumber(device, strField, "data_width", 0xFFFF, qwData))
        return false;
    const bool bExtended = qwSizeMB >= 0x7FFF;
    CStructure s(17, wNextHandle());
    s.vWord(wArray);
    s.vWord(NO_ERROR_INFO);
    s.vWord(qwTotal);
    s.vWord(qwData);
    s.vWord(bExtended ? 0x7FFF : qwSizeMB);
    s.vByte(qwFormFactor);
    s.vByte(0);  // not in a set
    s.vString(strLocator);
    s.vString(strBank);
    s.vByte(qwType);
    s.vWord(qwSizeMB ? 0x0080 : 0x0004);  // synchronous; unknown for an empty slot
    s.vWord(qwSpeed);
    s.vString(strManufacturer);
    s.vString(strSerial);
    s.vString(strAsset);
    s.vString(strPart);
    if (bExtended) {
        s.vByte(0);  // rank unknown
        s.vDword(qwSizeMB);
        s.vWord(qwSpeed);
    }
    vAdd(s);
    return true;
}

// A structure given as bytes: the formatted area (header included, its length byte as it is
// given, right or wrong) and its strings, with or without the double zero that ends them.
bool CSMBIOSBuilder::bRaw(const json& raw, const std::string& strField, bool& bLastUnterminated)
{
    std::vector<uint8_t> bytes;
    if (!raw.contains("hex")) return m_Reader.bFail(strField + ".hex", "is missing");
    if (!m_Reader.bHexBytes(raw["hex"], strField + ".hex", 255, bytes)) return false;
    if (bytes.size() < 2) return m_Reader.bFail(strField + ".hex", "needs at least the type and length bytes");
    bool bTerminated = true;
    if (raw.contains("terminated") && !m_Reader.bBool(raw["terminated"], strField + ".terminated", bTerminated))
        return false;
    std::vector<std::string> strings;
    if (raw.contains("strings")) {
        const std::string strList = strField + ".strings";
        if (!m_Reader.bArray(raw["strings"], strList, MAX_LIST)) return false;
        strings.resize(raw["strings"].size());
        for (size_t i = 0; i < strings.size(); ++i)
            if (!m_Reader.bString(raw["strings"][i], CFieldReader::strElement(strList, i), MAX_STRING, strings[i]))
                return false;
    }
    for (size_t i = 0; i < strings.size(); ++i) {
        bytes.insert(bytes.end(), strings[i].begin(), strings[i].end());
        // Unterminated: the last string has no zero at all.
        if (bTerminated || i + 1 < strings.size()) bytes.push_back(0);
    }
    if (bTerminated) {
        if (strings.empty()) bytes.push_back(0);
        bytes.push_back(0);
    }
    m_Table.insert(m_Table.end(), bytes.begin(), bytes.end());
    ++m_nStructures;
    ++m_wHandle;
    bLastUnterminated = !bTerminated;
    return true;
}

bool CSMBIOSBuilder::bDamage(const json& damage)
{
    const std::string strField = "smbios.damage";
    if (!m_Reader.bObject(damage, strField) ||
        !m_Reader.bKnownKeys(damage, strField, {"table_length", "structures", "bad_checksum", "no_end"}))
        return false;
    m_bLengthGiven = damage.contains("table_length");
    m_bCountGiven = damage.contains("structures");
    return bNumber(damage, strField, "table_length", 0xFFFF, m_qwLength) &&
           bNumber(damage, strField, "structures", 0xFFFF, m_qwCount) &&
           (!damage.contains("bad_checksum") ||
            m_Reader.bBool(damage["bad_checksum"], strField + ".bad_checksum", m_bBadChecksum)) &&
           (!damage.contains("no_end") || m_Reader.bBool(damage["no_end"], strField + ".no_end", m_bNoEnd));
}

bool CSMBIOSBuilder::bPlace(uint64_t qwAddress, const std::vector<uint8_t>& bytes, const std::string& strField)
{
    const uint64_t qwLast = qwAddress + (bytes.size() - 1);
    for (MemoryRegionConfig& region : m_Config.Memory) {
        const uint64_t qwRegionLast = region.qwBase + (region.qwSize - 1);
        if (qwAddress < region.qwBase || qwLast > qwRegionLast) continue;
        const size_t nOffset = size_t(qwAddress - region.qwBase);
        if (region.Bytes.size() < nOffset + bytes.size()) region.Bytes.resize(nOffset + bytes.size(), 0);
        for (size_t i = 0; i < bytes.size(); ++i)
            if (region.Bytes[nOffset + i] != 0)
                return m_Reader.bFail(strField, "overlaps other data already in memory there");
        std::copy(bytes.begin(), bytes.end(), region.Bytes.begin() + nOffset);
        return true;
    }
    return m_Reader.bFail(strField, "must lie wholly inside one of the memory regions");
}

uint8_t bChecksum(const std::vector<uint8_t>& bytes, size_t nFirst, size_t nCount)
{
    uint8_t bSum = 0;
    for (size_t i = nFirst; i < nFirst + nCount; ++i) bSum = uint8_t(bSum + bytes[i]);
    return uint8_t(-bSum);
}

bool CSMBIOSBuilder::bBuild(const json& smbios)
{
    if (!m_Reader.bObject(smbios, "smbios") ||
        !m_Reader.bKnownKeys(smbios, "smbios",
                             {"entry_point", "table", "version", "bios", "system", "baseboard", "chassis", "processors",
                              "caches", "memory_controller", "memory_modules", "memory_array", "memory_devices", "raw",
                              "damage"}))
        return false;
    uint64_t qwEntry = ENTRY_FIRST, qwTable = 0;
    if (!bNumber(smbios, "smbios", "entry_point", UINT32_MAX, qwEntry)) return false;
    if (qwEntry < ENTRY_FIRST || qwEntry > ENTRY_LAST || qwEntry % 16)
        return m_Reader.bFail("smbios.entry_point", "must be a multiple of 16 from 0xf0000 to 0xfffe0");
    qwTable = qwEntry + 0x20;
    if (!bNumber(smbios, "smbios", "table", UINT32_MAX, qwTable)) return false;
    if (smbios.contains("version")) {
        std::string strVersion;
        if (!m_Reader.bString(smbios["version"], "smbios.version", 8, strVersion)) return false;
        if (strVersion.size() != 3 || !std::isdigit(uint8_t(strVersion[0])) || strVersion[1] != '.' ||
            !std::isdigit(uint8_t(strVersion[2])))
            return m_Reader.bFail("smbios.version", "must be MAJOR.MINOR with one digit each, as \"2.4\"");
        m_bMajor = uint8_t(strVersion[0] - '0');
        m_bMinor = uint8_t(strVersion[2] - '0');
    }
    if ((smbios.contains("bios") && !bSection(smbios, "bios", {"vendor", "version", "date", "rom_kb"})) ||
        (smbios.contains("system") &&
         !bSection(smbios, "system", {"manufacturer", "product", "version", "serial", "uuid", "sku", "family"})) ||
        (smbios.contains("baseboard") &&
         !bSection(smbios, "baseboard", {"manufacturer", "product", "version", "serial", "asset_tag"})) ||
        (smbios.contains("chassis") &&
         !bSection(smbios, "chassis", {"manufacturer", "type", "version", "serial", "asset_tag"})) ||
        (smbios.contains("processors") &&
         !bList(smbios, "processors",
                {"socket", "manufacturer", "version", "family", "id", "external_mhz", "max_mhz", "current_mhz",
                 "upgrade"})) ||
        (smbios.contains("caches") && !bList(smbios, "caches", {"designation", "level", "size_kb"})) ||
        (smbios.contains("memory_controller") && !bSection(smbios, "memory_controller", {"max_module_mb"})) ||
        (smbios.contains("memory_modules") && !bList(smbios, "memory_modules", {"socket", "size_mb", "double_bank"})) ||
        (smbios.contains("memory_array") &&
         !bSection(smbios, "memory_array", {"max_capacity_mb", "devices", "location", "use"})) ||
        (smbios.contains("memory_devices") &&
         !bList(smbios, "memory_devices",
                {"locator", "bank", "manufacturer", "serial", "asset_tag", "part", "size_mb", "speed_mhz", "type",
                 "form_factor", "total_width", "data_width"})) ||
        (smbios.contains("raw") && !bList(smbios, "raw", {"hex", "strings", "terminated"})) ||
        (smbios.contains("damage") && !bDamage(smbios["damage"])))
        return false;

    const json empty = json::array();
    const json& processors = smbios.contains("processors") ? smbios["processors"] : empty;
    const json& caches = smbios.contains("caches") ? smbios["caches"] : empty;
    const json& modules = smbios.contains("memory_modules") ? smbios["memory_modules"] : empty;
    const json& devices = smbios.contains("memory_devices") ? smbios["memory_devices"] : empty;
    for (size_t i = 0; i < caches.size(); ++i) {
        uint64_t qwLevel = 1;
        const std::string strField = CFieldReader::strElement("smbios.caches", i);
        if (!bNumber(caches[i], strField, "level", 3, qwLevel)) return false;
        if (qwLevel == 0) return m_Reader.bFail(strField + ".level", "must be 1, 2 or 3");
        m_CacheLevels.push_back(qwLevel);
    }

    if (smbios.contains("bios") && !bBios(smbios["bios"])) return false;
    if (smbios.contains("system") && !bSystem(smbios["system"])) return false;
    if (smbios.contains("baseboard") && !bBaseboard(smbios["baseboard"], smbios.contains("chassis"))) return false;
    if (smbios.contains("chassis") && !bChassis(smbios["chassis"])) return false;
    m_wCacheBase = uint16_t(m_wHandle + processors.size());
    for (size_t i = 0; i < processors.size(); ++i)
        if (!bProcessor(processors[i], CFieldReader::strElement("smbios.processors", i))) return false;
    for (size_t i = 0; i < caches.size(); ++i)
        if (!bCache(caches[i], CFieldReader::strElement("smbios.caches", i))) return false;
    if (smbios.contains("memory_controller") && !bMemoryController(smbios["memory_controller"], modules.size()))
        return false;
    for (size_t i = 0; i < modules.size(); ++i)
        if (!bMemoryModule(modules[i], CFieldReader::strElement("smbios.memory_modules", i), i)) return false;
    if (smbios.contains("memory_array") || !devices.empty()) {
        const uint16_t wArray = m_wHandle;
        if (!bMemoryArray(smbios.contains("memory_array") ? &smbios["memory_array"] : nullptr, devices.size()))
            return false;
        for (size_t i = 0; i < devices.size(); ++i)
            if (!bMemoryDevice(devices[i], CFieldReader::strElement("smbios.memory_devices", i), wArray)) return false;
    }
    bool bUnterminated = false;
    if (smbios.contains("raw"))
        for (size_t i = 0; i < smbios["raw"].size(); ++i)
            if (!bRaw(smbios["raw"][i], CFieldReader::strElement("smbios.raw", i), bUnterminated)) return false;
    if (!m_bNoEnd && !bUnterminated) vAdd(CStructure(127, wNextHandle()));
    if (m_Table.size() > MAX_TABLE_BYTES) return m_Reader.bFail("smbios", "the table is longer than 65535 bytes");
    if (m_Table.empty()) m_Table.push_back(0);  // nothing to place, but the address stays valid
    if (qwTable > UINT32_MAX - (m_Table.size() - 1))
        return m_Reader.bFail("smbios.table", "runs past 4 GiB");

    // The entry point: "_SM_" with its own checksum, then the "_DMI_" part at offset 16.
    const uint16_t wLength = uint16_t(m_bLengthGiven ? m_qwLength : m_Table.size());
    const uint16_t wCount = uint16_t(m_bCountGiven ? m_qwCount : m_nStructures);
    std::vector<uint8_t> entry(ENTRY_BYTES, 0);
    std::memcpy(&entry[0], "_SM_", 4);
    entry[5] = uint8_t(ENTRY_BYTES);
    entry[6] = m_bMajor;
    entry[7] = m_bMinor;
    entry[8] = uint8_t(m_wLargest);
    entry[9] = uint8_t(m_wLargest >> 8);
    std::memcpy(&entry[0x10], "_DMI_", 5);
    entry[0x16] = uint8_t(wLength);
    entry[0x17] = uint8_t(wLength >> 8);
    for (unsigned i = 0; i < 4; ++i) entry[0x18 + i] = uint8_t(qwTable >> (8 * i));
    entry[0x1C] = uint8_t(wCount);
    entry[0x1D] = uint8_t(wCount >> 8);
    entry[0x1E] = uint8_t(m_bMajor << 4 | m_bMinor);
    entry[0x15] = uint8_t(bChecksum(entry, 0x10, 15) + (m_bBadChecksum ? 1 : 0));
    entry[4] = uint8_t(bChecksum(entry, 0, ENTRY_BYTES) + (m_bBadChecksum ? 1 : 0));
    return bPlace(qwEntry, entry, "smbios.entry_point") && bPlace(qwTable, m_Table, "smbios.table");
}

}  // namespace

bool bParseSMBIOSSection(const json& smbios, CFieldReader& reader, BoardConfig& config)
{
    CSMBIOSBuilder builder(reader, config);
    return builder.bBuild(smbios);
}

}  // namespace sim
