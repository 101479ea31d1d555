// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/SettingsLines.h"

namespace app {

std::vector<std::string> SplitLinePieces(const std::string& strText)
{
    return SplitLinePieces(strText, nullptr);
}

std::vector<std::string> SplitLinePieces(const std::string& strText, std::vector<size_t>* pLineNumbers)
{
    if (pLineNumbers) pLineNumbers->clear();
    size_t nLine = 1;
    // CR LF becomes LF first, as text mode reads it; a lone CR stays a character.
    std::string strLines;
    strLines.reserve(strText.size());
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') continue;
        strLines.push_back(strText[i]);
    }
    std::vector<std::string> pieces;
    size_t nAt = 0;
    while (nAt < strLines.size()) {
        // Up to 254 characters, stopping after a line feed.
        size_t nEnd = nAt;
        bool bLineFeed = false;
        while (nEnd < strLines.size() && nEnd - nAt < LINE_BUFFER_SIZE - 1) {
            if (strLines[nEnd++] == '\n') {
                bLineFeed = true;
                break;
            }
        }
        std::string strPiece = strLines.substr(nAt, nEnd - nAt - (bLineFeed ? 1 : 0));
        const size_t nNul = strPiece.find('\0');
        if (nNul != std::string::npos) strPiece.resize(nNul);
        pieces.push_back(std::move(strPiece));
        if (pLineNumbers) pLineNumbers->push_back(nLine);
        if (bLineFeed) ++nLine;
        nAt = nEnd;
    }
    return pieces;
}

}  // namespace app
