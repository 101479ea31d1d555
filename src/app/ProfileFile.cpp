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

// "PLLDUMP=" with the count and the bytes; the text after the last space (the line end) is
// not used, nor are bytes beyond the count.
bool bParseDump(const std::string& strLine, std::vector<uint8_t>& bytes)
{
    if (strLine.compare(0, std::strlen(KEY_DUMP), KEY_DUMP) != 0) return false;
    std::vector<uint32_t> values;
    size_t nAt = std::strlen(KEY_DUMP);
    for (size_t nSpace; (nSpace = strLine.find(' ', nAt)) != std::string::npos; nAt = nSpace + 1) {
        uint32_t dwValue;
        if (!bParsePiece(strLine.substr(nAt, nSpace - nAt), dwValue) || dwValue > 0xFF) return false;
        values.push_back(dwValue);
    }
    if (values.empty() || values.size() - 1 < values[0]) return false;
    bytes.assign(values.begin() + 1, values.begin() + 1 + values[0]);
    return true;
}

bool bParseClock(const std::string& strLine, const char* pszFormat, float& fClock)
{
    return std::sscanf(strLine.c_str(), pszFormat, &fClock) == 1 && std::isfinite(fClock) && fClock > 0 &&
           fClock <= PROFILE_MAX_CLOCK_MHZ;
}

}  // namespace

std::string strProfileFileName(int nProfile)
{
    return "cg" + std::to_string(nProfile) + ".cgp";
}

std::vector<ProfileStep> ParseProfile(const std::string& strText)
{
    std::vector<ProfileStep> steps;
    bool bHeader = false;
    bool bDumpApplied = false;
    for (const std::string& strLine : SplitLinePieces(strText)) {
        if (!bHeader) {
            bHeader = strLine.find(PROFILE_HEADER) != std::string::npos;
            continue;
        }
        ProfileStep step{};
        if (strLine.find(KEY_DUMP) != std::string::npos) {
            step.eAction = ProfileAction::WriteDump;
            if (!bParseDump(strLine, step.Bytes)) continue;
            bDumpApplied = true;
        } else if (strLine.find(KEY_FSB) != std::string::npos) {
            step.eAction = ProfileAction::ApplyFSB;
            if (bDumpApplied || !bParseClock(strLine, "PLLFSB=%f", step.fClock)) continue;
        } else if (strLine.find(KEY_GSB) != std::string::npos) {
            step.eAction = ProfileAction::ApplyGSB;
            if (bDumpApplied || !bParseClock(strLine, "PLLGSB=%f", step.fClock)) continue;
        } else {
            continue;  // "PLLMEM=" (accepted, no effect) and anything else
        }
        steps.push_back(std::move(step));
    }
    return steps;
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
