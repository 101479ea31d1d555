// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ProfileFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/SettingsLines.h"

namespace app {

namespace {

constexpr const char* KEY_DUMP = "PLLDUMP=";
constexpr const char* KEY_FSB = "PLLFSB=";
constexpr const char* KEY_GSB = "PLLGSB=";
constexpr const char* KEY_MEM = "PLLMEM=";
constexpr size_t MAX_PIECE_DIGITS = 3;  // a piece buffer of 4 characters

// One space-ended piece as a number; false for an empty piece, more than three characters or
// anything but hexadecimal digits.
bool bParsePiece(const std::string& strPiece, uint32_t& dwValue)
{
    if (strPiece.empty() || strPiece.size() > MAX_PIECE_DIGITS) return false;
    dwValue = 0;
    for (char c : strPiece) {
        int nDigit;
        if (c >= '0' && c <= '9') nDigit = c - '0';
        else if (c >= 'A' && c <= 'F') nDigit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') nDigit = c - 'a' + 10;
        else return false;
        dwValue = dwValue * 16 + uint32_t(nDigit);
    }
    return true;
}

bool bBlank(const std::string& str)
{
    return str.find_first_not_of(" \t\r\v\f") == std::string::npos;
}

// A piece of a line, quoted and printable (the reasons go into JSON, which takes UTF-8 only).
std::string strQuoted(const std::string& str)
{
    return "\"" + strPrintableLine(str) + "\"";
}

// "PLLDUMP=" with the count and the bytes; the text after the last space (the line end) is
// not used, nor are bytes beyond the count. False with strWhy when the line is left out;
// true with strWhy set when a part of it is not used.
bool bParseDump(const std::string& strLine, std::vector<uint8_t>& bytes, std::string& strWhy)
{
    if (strLine.compare(0, std::strlen(KEY_DUMP), KEY_DUMP) != 0) {
        strWhy = std::string("the key ") + KEY_DUMP + " must start the line";
        return false;
    }
    std::vector<uint32_t> values;
    size_t nAt = std::strlen(KEY_DUMP);
    for (size_t nSpace; (nSpace = strLine.find(' ', nAt)) != std::string::npos; nAt = nSpace + 1) {
        const std::string strPiece = strLine.substr(nAt, nSpace - nAt);
        uint32_t dwValue;
        if (!bParsePiece(strPiece, dwValue) || dwValue > 0xFF) {
            strWhy = strQuoted(strPiece) + " is not a byte in hexadecimal (two digits, each followed by one space)";
            return false;
        }
        values.push_back(dwValue);
    }
    const std::string strRest = strLine.substr(nAt);
    const std::string strRestNote =
        bBlank(strRest) ? "" : " (each byte ends with a space: " + strQuoted(strRest) + " at the end is not read)";
    if (values.empty()) {
        strWhy = "the line holds no count" + strRestNote;
        return false;
    }
    const size_t nHeld = values.size() - 1;
    char szCount[96];
    std::snprintf(szCount, sizeof(szCount), "the count is %02X (%u) but the line holds %zu byte%s", values[0],
                  values[0], nHeld, nHeld == 1 ? "" : "s");
    if (nHeld < values[0]) {
        strWhy = szCount + strRestNote;
        return false;
    }
    bytes.assign(values.begin() + 1, values.begin() + 1 + values[0]);
    if (nHeld > values[0]) strWhy = std::string(szCount) + ": the bytes beyond the count are not written";
    else if (!strRestNote.empty()) strWhy = "the text after the last space, " + strQuoted(strRest) + ", is not read";
    return true;
}

bool bParseClock(const std::string& strLine, const char* pszKey, const char* pszFormat, float& fClock,
                 std::string& strWhy)
{
    if (strLine.compare(0, std::strlen(pszKey), pszKey) != 0) {
        strWhy = std::string("the key ") + pszKey + " must start the line";
        return false;
    }
    if (std::sscanf(strLine.c_str(), pszFormat, &fClock) != 1) {
        strWhy = "the clock is not a number";
        return false;
    }
    if (std::isfinite(fClock) && fClock > 0 && fClock <= PROFILE_MAX_CLOCK_MHZ) return true;
    char szWhy[96];
    std::snprintf(szWhy, sizeof(szWhy), "%.2f MHz is not a clock above 0 and up to %.0f MHz", double(fClock),
                  double(PROFILE_MAX_CLOCK_MHZ));
    strWhy = szWhy;
    return false;
}

}  // namespace

std::string strProfileFileName(int nProfile)
{
    return "cg" + std::to_string(nProfile) + ".cgp";
}

std::vector<ProfileStep> ParseProfile(const std::string& strText)
{
    return ReadProfile(strText).Steps;
}

ProfileReading ReadProfile(const std::string& strText)
{
    ProfileReading reading;
    bool bHeader = false;
    bool bDumpApplied = false;
    std::vector<size_t> lineNumbers;
    const std::vector<std::string> pieces = SplitLinePieces(strText, &lineNumbers);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::string& strLine = pieces[i];
        if (!bHeader) {
            bHeader = strLine.find(PROFILE_HEADER) != std::string::npos;
            continue;
        }
        if (bBlank(strLine)) continue;
        reading.bHoldsLines = true;
        ProfileStep step{};
        std::string strWhy;
        bool bTake = false;
        if (strLine.find(KEY_DUMP) != std::string::npos) {
            step.eAction = ProfileAction::WriteDump;
            bTake = bParseDump(strLine, step.Bytes, strWhy);
            if (bTake) bDumpApplied = true;
        } else if (strLine.find(KEY_FSB) != std::string::npos) {
            step.eAction = ProfileAction::ApplyFSB;
            // Read even when an image made it void, so that a line that cannot be read is named.
            bTake = bParseClock(strLine, KEY_FSB, "PLLFSB=%f", step.fClock, strWhy) && !bDumpApplied;
        } else if (strLine.find(KEY_GSB) != std::string::npos) {
            step.eAction = ProfileAction::ApplyGSB;
            bTake = bParseClock(strLine, KEY_GSB, "PLLGSB=%f", step.fClock, strWhy) && !bDumpApplied;
        } else if (strLine.find(KEY_MEM) == std::string::npos) {
            strWhy = "not a profile line (it holds none of PLLDUMP=, PLLFSB=, PLLGSB=)";
        }
        // "PLLMEM=" is accepted and has no effect.
        const bool bLeftOut = step.eAction != ProfileAction::WriteDump || !bTake;
        if (!strWhy.empty()) reading.Warnings.push_back({lineNumbers[i], strLine, strWhy, bLeftOut});
        if (bTake) reading.Steps.push_back(std::move(step));
    }
    if (!bHeader) {
        for (const std::string& strLine : pieces)
            if (!bBlank(strLine)) reading.bHoldsLines = true;
        if (reading.bHoldsLines)
            reading.Warnings.push_back(
                {0, "", std::string("the file has no ") + strQuoted(PROFILE_HEADER) + " line: nothing in it is read",
                 false});
    }
    return reading;
}

std::string strPrintableLine(const std::string& strLine)
{
    std::string strText;
    for (unsigned char c : strLine) {
        if (c < 0x20 || c >= 0x7F) {
            char szEscape[8];
            std::snprintf(szEscape, sizeof(szEscape), "\\x%02X", c);
            strText += szEscape;
        } else {
            if (c == '"' || c == '\\') strText += '\\';
            strText += char(c);
        }
    }
    return strText;
}

std::string strDescribeWarning(const ProfileWarning& warning)
{
    if (warning.nLine == 0) return warning.strWhy;
    return "line " + std::to_string(warning.nLine) + " (\"" + strPrintableLine(warning.strText) + "\"): " +
           warning.strWhy + (warning.bLeftOut ? "; the line is left out" : "");
}

std::string strFormatProfile(const ProfileContent& content)
{
    std::string strText = std::string(PROFILE_HEADER) + "\n";
    char szPiece[32];
    if (content.bHasDriver && content.nRegisterCount > 0 && content.pImage) {
        // Only the bytes the count names; a count the two digits cannot hold is not written.
        const int32_t nCount = content.nRegisterCount;
        if (nCount <= 0xFF) {
            std::snprintf(szPiece, sizeof(szPiece), "PLLDUMP=%02X ", unsigned(nCount));
            strText += szPiece;
            for (int32_t i = 0; i < nCount; ++i) {
                std::snprintf(szPiece, sizeof(szPiece), "%02X ", content.pImage[i]);
                strText += szPiece;
            }
            strText += "\n";
        }
    }
    if (content.bHasDriver && content.fFSB > 0) {
        std::snprintf(szPiece, sizeof(szPiece), "PLLFSB=%.2f\n", double(content.fFSB));
        strText += szPiece;
    }
    if (content.bHasDriver && content.bGSBEnabled && content.fGSB > 0) {
        std::snprintf(szPiece, sizeof(szPiece), "PLLGSB=%.2f\n", double(content.fGSB));
        strText += szPiece;
    }
    return strText;
}

}  // namespace app
