// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs a program of this build and collects its exit status and output.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct ProgramResult {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

inline std::string strReadFile(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::stringstream buffer;
    buffer << file.rdbuf();
    return buffer.str();
}

// strArguments is passed through the shell as it stands.
inline ProgramResult RunProgram(const std::string& strProgram, const std::string& strArguments)
{
    char szOut[] = "/tmp/pendulon-out-XXXXXX";
    char szErr[] = "/tmp/pendulon-err-XXXXXX";
    const int nOut = mkstemp(szOut), nErr = mkstemp(szErr);
    ProgramResult result;
    if (nOut < 0 || nErr < 0) return result;
    const std::string strCommand = strProgram + " " + strArguments + " >" + szOut + " 2>" + szErr + " </dev/null";
    const int nRaw = std::system(strCommand.c_str());
    result.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
    result.strOut = strReadFile(szOut);
    result.strErr = strReadFile(szErr);
    std::remove(szOut);
    std::remove(szErr);
    close(nOut);
    close(nErr);
    return result;
}
