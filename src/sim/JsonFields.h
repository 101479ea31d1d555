// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading the fields of a board file: typed accessors that say, in one message naming the
// board and the field, what is wrong with a value instead of throwing.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// "0x1F" (hexadecimal) or "31" (decimal), nothing else: no sign, no blanks. False when the
// text is not a number or the number is above qwMax.
bool bParseNumberText(std::string_view text, uint64_t qwMax, uint64_t& qwValue);
// Exactly nDigits hexadecimal digits.
bool bParseHexDigits(std::string_view text, size_t nDigits, uint64_t& qwValue);
// A text from the file, made safe and short for an error message.
std::string strQuote(std::string_view text);

class CFieldReader {
public:
    explicit CFieldReader(std::string strBoard) : m_strBoard(std::move(strBoard)) {}

    // Records "board 'NAME': FIELD: WHAT" (the first failure only) and returns false.
    bool bFail(const std::string& strField, const std::string& strWhat);
    const std::string& strError() const { return m_strError; }

    bool bObject(const json& value, const std::string& strField);
    bool bArray(const json& value, const std::string& strField, size_t nMaxSize);
    // The object holds no keys but these.
    bool bKnownKeys(const json& object, const std::string& strField, std::initializer_list<std::string_view> keys);
    // A non-negative integer: a JSON number or a text as bParseNumberText takes it.
    bool bNumber(const json& value, const std::string& strField, uint64_t qwMax, uint64_t& qwValue);
    // A JSON number (integer or not) in [dMin, dMax]; dMin itself only when bMinIncluded.
    bool bReal(const json& value, const std::string& strField, double dMin, bool bMinIncluded, double dMax,
               double& dValue);
    // A text of printable characters, at most nMaxLength bytes.
    bool bString(const json& value, const std::string& strField, size_t nMaxLength, std::string& strValue);
    bool bBool(const json& value, const std::string& strField, bool& bValue);
    // Hexadecimal bytes ("00 1a ff" or "001aff"), at most nMaxBytes of them.
    bool bHexBytes(const json& value, const std::string& strField, uint64_t nMaxBytes, std::vector<uint8_t>& bytes);

    static std::string strMember(const std::string& strField, std::string_view key);
    static std::string strElement(const std::string& strField, size_t nIndex);

private:
    std::string m_strBoard;
    std::string m_strError;
};

}  // namespace sim
