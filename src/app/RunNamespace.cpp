// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/RunNamespace.h"

#include "platform/WorkDirectory.h"

namespace app {

std::string strBoardNamespace(const std::string& strBoard)
{
    if (strBoard.empty()) return "";
    std::string strName = strBoard;
    const size_t nSlash = strName.rfind('/');
    if (nSlash != std::string::npos) strName = strName.substr(nSlash + 1);
    const std::string strSuffix = ".json";
    if (strName.size() > strSuffix.size() &&
        strName.compare(strName.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0)
        strName.resize(strName.size() - strSuffix.size());
    for (char& c : strName) {
        const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                            c == '-';
        if (!bPlain) c = '_';
    }
    if (strName.empty()) strName = "board";  // a path that ends in a slash
    return strName;
}

bool bGetRunWorkDirectory(const std::string& strBoard, std::string& strPath, std::string& strError)
{
    const std::string strName = strBoardNamespace(strBoard);
    return platform::bGetWorkDirectory(strPath, strError, strName.empty() ? std::string() : "boards/" + strName);
}

}  // namespace app
