// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/JsonFields.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace sim {

namespace {

int nHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

const char* szTypeName(const json& value)
{
    switch (value.type()) {
    case json::value_t::null: return "null";
    case json::value_t::object: return "an object";
    case json::value_t::array: return "an array";
    case json::value_t::string: return "a text";
    case json::value_t::boolean: return "true or false";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: return "an integer";
    case json::value_t::number_float: return "a fractional number";
    default: return "something else";
    }
}

}  // namespace

bool bParseNumberText(std::string_view text, uint64_t qwMax, uint64_t& qwValue)
{
    uint64_t qwResult = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        for (char c : text) {
            int nDigit = nHexDigit(c);
            if (nDigit < 0 || qwResult > (UINT64_MAX >> 4))
                return false;
            qwResult = qwResult << 4 | uint64_t(nDigit);
        }
    } else {
        if (text.empty())
            return false;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            uint64_t qwDigit = uint64_t(c - '0');
            if (qwResult > (UINT64_MAX - qwDigit) / 10)
                return false;
            qwResult = qwResult * 10 + qwDigit;
        }
    }
    if (qwResult > qwMax)
        return false;
    qwValue = qwResult;
    return true;
}

bool bParseHexDigits(std::string_view text, size_t nDigits, uint64_t& qwValue)
{
    if (text.size() != nDigits || nDigits > 16)
        return false;
    uint64_t qwResult = 0;
    for (char c : text) {
        int nDigit = nHexDigit(c);
        if (nDigit < 0)
            return false;
        qwResult = qwResult << 4 | uint64_t(nDigit);
    }
    qwValue = qwResult;
    return true;
}

std::string strQuote(std::string_view text)
{
    constexpr size_t MAX_SHOWN = 40;
    std::string strOut = "\"";
    for (size_t i = 0; i < text.size() && i < MAX_SHOWN; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        strOut += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? char(c) : '?';
    }
    if (text.size() > MAX_SHOWN)
        strOut += "...";
    return strOut + "\"";
}

bool CFieldReader::bFail(const std::string& strField, const std::string& strWhat)
{
    if (m_strError.empty())
        m_strError = "board '" + m_strBoard + "': " + (strField.empty() ? "" : strField + ": ") + strWhat;
    return false;
}

bool CFieldReader::bObject(const json& value, const std::string& strField)
{
    return value.is_object() || bFail(strField, std::string("must be an object, not ") + szTypeName(value));
}

bool CFieldReader::bArray(const json& value, const std::string& strField, size_t nMaxSize)
{
    if (!value.is_array())
        return bFail(strField, std::string("must be an array, not ") + szTypeName(value));
    if (value.size() > nMaxSize)
        return bFail(strField, "has " + std::to_string(value.size()) + " entries, at most " +
                                   std::to_string(nMaxSize) + " are allowed");
    return true;
}

bool CFieldReader::bKnownKeys(const json& object, const std::string& strField,
                              std::initializer_list<std::string_view> keys)
{
    for (const auto& item : object.items()) {
        bool bKnown = false;
        for (std::string_view key : keys)
            bKnown = bKnown || item.key() == key;
        if (!bKnown)
            return bFail(strField, "unknown field " + strQuote(item.key()));
    }
    return true;
}

bool CFieldReader::bNumber(const json& value, const std::string& strField, uint64_t qwMax, uint64_t& qwValue)
{
    char szMax[32];
    std::snprintf(szMax, sizeof szMax, "0x%llX", static_cast<unsigned long long>(qwMax));
    if (value.is_number_unsigned()) {
        uint64_t qwNumber = value.get<uint64_t>();
        if (qwNumber > qwMax)
            return bFail(strField, std::to_string(qwNumber) + " is above the largest allowed value " + szMax);
        qwValue = qwNumber;
        return true;
    }
    if (value.is_string()) {
        const std::string& strText = value.get_ref<const std::string&>();
        uint64_t qwNumber = 0;
        if (bParseNumberText(strText, UINT64_MAX, qwNumber)) {
            if (qwNumber > qwMax)
                return bFail(strField, strQuote(strText) + " is above the largest allowed value " + szMax);
            qwValue = qwNumber;
            return true;
        }
        return bFail(strField, strQuote(strText) + " is not a number (write 0x1F or 31)");
    }
    if (value.is_number_integer())
        return bFail(strField, "must not be negative");
    return bFail(strField, std::string("must be a number, not ") + szTypeName(value));
}

bool CFieldReader::bReal(const json& value, const std::string& strField, double dMin, bool bMinIncluded,
                         double dMax, double& dValue)
{
    if (!value.is_number())
        return bFail(strField, std::string("must be a number, not ") + szTypeName(value));
    double d = value.get<double>();
    if (!std::isfinite(d) || d < dMin || (d == dMin && !bMinIncluded) || d > dMax) {
        char szRange[96];
        std::snprintf(szRange, sizeof szRange, "must lie in %s%g, %g]", bMinIncluded ? "[" : "(", dMin, dMax);
        return bFail(strField, szRange);
    }
    dValue = d;
    return true;
}

bool CFieldReader::bString(const json& value, const std::string& strField, size_t nMaxLength,
                           std::string& strValue)
{
    if (!value.is_string())
        return bFail(strField, std::string("must be a text, not ") + szTypeName(value));
    const std::string& strText = value.get_ref<const std::string&>();
    if (strText.size() > nMaxLength)
        return bFail(strField, "is longer than " + std::to_string(nMaxLength) + " characters");
    for (unsigned char c : strText)
        if (c < 0x20 || c == 0x7F)
            return bFail(strField, "holds a control character");
    strValue = strText;
    return true;
}

bool CFieldReader::bBool(const json& value, const std::string& strField, bool& bValue)
{
    if (!value.is_boolean())
        return bFail(strField, std::string("must be true or false, not ") + szTypeName(value));
    bValue = value.get<bool>();
    return true;
}

bool CFieldReader::bHexBytes(const json& value, const std::string& strField, uint64_t nMaxBytes,
                             std::vector<uint8_t>& bytes)
{
    if (!value.is_string())
        return bFail(strField, std::string("must be a text of hexadecimal bytes, not ") + szTypeName(value));
    const std::string& strText = value.get_ref<const std::string&>();
    bytes.clear();
    int nHigh = -1;
    for (char c : strText) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (nHigh >= 0)
                return bFail(strField, "a byte is split by a blank");
            continue;
        }
        int nDigit = nHexDigit(c);
        if (nDigit < 0)
            return bFail(strField, "holds " + strQuote(std::string_view(&c, 1)) + ", not a hexadecimal digit");
        if (nHigh < 0) {
            nHigh = nDigit;
            continue;
        }
        if (bytes.size() >= nMaxBytes)
            return bFail(strField, "holds more than the " + std::to_string(nMaxBytes) + " bytes of the region");
        bytes.push_back(uint8_t(nHigh << 4 | nDigit));
        nHigh = -1;
    }
    if (nHigh >= 0)
        return bFail(strField, "ends in half a byte");
    return true;
}

std::string CFieldReader::strMember(const std::string& strField, std::string_view key)
{
    std::string strKey(key);
    bool bPlain = !strKey.empty();
    for (unsigned char c : strKey)
        bPlain = bPlain && (std::isalnum(c) || c == '_' || c == '.');
    std::string strShown = bPlain && strKey.size() <= 40 ? strKey : strQuote(strKey);
    return strField.empty() ? strShown : strField + "." + strShown;
}

std::string CFieldReader::strElement(const std::string& strField, size_t nIndex)
{
    return strField + "[" + std::to_string(nIndex) + "]";
}

}  // namespace sim
