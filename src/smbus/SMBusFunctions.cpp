// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/SMBusFunctions.h"

namespace {

struct FunctionName {
    uint32_t dwFunction;
    const char* pszName;  // in lists
    const char* pszNeed;  // in "cannot do ..."
};

constexpr FunctionName FUNCTION_NAMES[] = {
    {SMBUS_FUNC_READ_BYTE_DATA, "read-byte", "byte reads"},
    {SMBUS_FUNC_WRITE_BYTE_DATA, "write-byte", "byte writes"},
    {SMBUS_FUNC_READ_WORD_DATA, "read-word", "word reads"},
    {SMBUS_FUNC_WRITE_WORD_DATA, "write-word", "word writes"},
    {SMBUS_FUNC_READ_BLOCK_DATA, "read-block", "block reads"},
    {SMBUS_FUNC_WRITE_BLOCK_DATA, "write-block", "block writes"},
    {SMBUS_FUNC_BLOCK_BUFFER, "block-buffer", "blocks through a block buffer"},
    {SMBUS_FUNC_BLOCK_BY_BYTES, "block-by-bytes", "blocks byte by byte"},
    {SMBUS_FUNC_BLOCK_CHUNKS, "block-chunks", "blocks in chunks"},
};

}  // namespace

std::vector<std::string> SMBusFunctionNames(uint32_t dwFunctions)
{
    std::vector<std::string> names;
    for (const FunctionName& name : FUNCTION_NAMES)
        if (dwFunctions & name.dwFunction)
            names.push_back(name.pszName);
    return names;
}

std::string strSMBusFunctions(uint32_t dwFunctions)
{
    std::string strList;
    for (const std::string& strName : SMBusFunctionNames(dwFunctions))
        strList += (strList.empty() ? "" : ",") + strName;
    return strList.empty() ? "none" : strList;
}

std::string strSMBusFunctionNeed(uint32_t dwFunction)
{
    std::string strNeed;
    for (const FunctionName& name : FUNCTION_NAMES)
        if (dwFunction & name.dwFunction)
            strNeed += std::string(strNeed.empty() ? "" : " and ") + name.pszNeed;
    return strNeed.empty() ? "that" : strNeed;
}
