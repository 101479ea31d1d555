// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/PCIVisibility.h"

#include "sim/PCIVisibilityParse.h"

namespace sim {

bool CConditionalPCIFunction::bVisible() const
{
    const CPCIFunction* pController = m_Functions.pFind(m_Rule.nBus, m_Rule.nDevice, m_Rule.nFunction);
    if (!pController) return false;
    // The register as stored, without the side effects a read could have. A register may
    // straddle two dwords.
    uint32_t dwRegister = 0;
    for (unsigned i = 0; i < m_Rule.nWidth; ++i) {
        const unsigned nAt = m_Rule.nOffset + i;
        dwRegister |= ((pController->dwPeek(nAt) >> (8 * (nAt & 3))) & 0xFF) << (8 * i);
    }
    return (dwRegister & m_Rule.dwMask) == m_Rule.dwValue;
}

uint32_t CConditionalPCIFunction::dwRead(unsigned nOffset, const AccessContext& context)
{
    return bVisible() ? CPCIFunction::dwRead(nOffset, context) : 0xFFFFFFFF;
}

void CConditionalPCIFunction::vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables,
                                     const AccessContext& context)
{
    if (bVisible()) CPCIFunction::vWrite(nOffset, dwValue, nByteEnables, context);
}

std::unique_ptr<CPCIFunction> MakePCIFunction(const std::array<uint8_t, 4096>& initial,
                                              const std::optional<PCIVisibilityRule>& rule,
                                              const CPCIFunctions& functions)
{
    if (rule) return std::make_unique<CConditionalPCIFunction>(initial, functions, *rule);
    return std::make_unique<CPCIFunction>(initial);
}

bool bParsePCIVisibility(CFieldReader& reader, const json& value, const std::string& strField,
                         std::optional<PCIVisibilityRule>& rule)
{
    if (!reader.bObject(value, strField) || !reader.bKnownKeys(value, strField, {"at", "reg", "mask", "value"}))
        return false;
    for (const char* pszKey : {"at", "reg", "mask", "value"})
        if (!value.contains(pszKey))
            return reader.bFail(strField + "." + pszKey, "is missing");
    PCIVisibilityRule parsed;
    const json& at = value["at"];
    uint64_t qwBus = 0, qwDevice = 0, qwFunction = 0;
    const std::string strAt = at.is_string() ? at.get<std::string>() : std::string();
    if (strAt.size() != 7 || strAt[2] != ':' || strAt[5] != '.' || !bParseHexDigits(strAt.substr(0, 2), 2, qwBus) ||
        !bParseHexDigits(strAt.substr(3, 2), 2, qwDevice) || !bParseHexDigits(strAt.substr(6, 1), 1, qwFunction) ||
        qwDevice > 0x1F || qwFunction > 7)
        return reader.bFail(strField + ".at", "is not a PCI address BB:DD.F");
    parsed.nBus = uint8_t(qwBus);
    parsed.nDevice = uint8_t(qwDevice);
    parsed.nFunction = uint8_t(qwFunction);

    const json& reg = value["reg"];
    const std::string strReg = reg.is_string() ? reg.get<std::string>() : std::string();
    const size_t nDot = strReg.rfind('.');
    unsigned nWidth = 0;
    if (nDot != std::string::npos && nDot + 2 == strReg.size()) {
        const char cWidth = strReg[nDot + 1];
        nWidth = cWidth == 'b' ? 1 : cWidth == 'w' ? 2 : cWidth == 'l' ? 4 : 0;
    }
    uint64_t qwOffset = 0;
    if (nWidth == 0 || !bParseNumberText(std::string_view(strReg).substr(0, nDot), 0xFFF, qwOffset) ||
        qwOffset + nWidth > 4096)
        return reader.bFail(strField + ".reg", "must be an offset below 0x1000 and a width: \"0xf2.b\", \".w\" or \".l\"");
    parsed.nOffset = uint16_t(qwOffset);
    parsed.nWidth = nWidth;

    const uint64_t qwMax = nWidth == 4 ? 0xFFFFFFFFull : (uint64_t(1) << (8 * nWidth)) - 1;
    uint64_t qwMask = 0, qwValue = 0;
    if (!reader.bNumber(value["mask"], strField + ".mask", qwMax, qwMask) ||
        !reader.bNumber(value["value"], strField + ".value", qwMax, qwValue))
        return false;
    if (qwValue & ~qwMask)
        return reader.bFail(strField + ".value", "has bits outside the mask: the function could never be seen");
    parsed.dwMask = uint32_t(qwMask);
    parsed.dwValue = uint32_t(qwValue);
    rule = parsed;
    return true;
}

}  // namespace sim
