// SPDX-License-Identifier: GPL-2.0-or-later
// Gives each test process locks of its own. ctest runs the tests in parallel processes, and
// as root they would all share /run/lock/pendulon/ (and wait for a pendulon running on the
// machine). Unless PENDULON_RUNTIME_DIR is set already, it is set here, before any test runs,
// to a fresh private directory that is removed when the process ends; programs the tests start
// inherit it.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class CPrivateRuntimeDir {
public:
    CPrivateRuntimeDir()
    {
        if (getenv("PENDULON_RUNTIME_DIR") != nullptr) return;
        char szTemplate[] = "/tmp/pendulon-test-run-XXXXXX";
        if (mkdtemp(szTemplate) == nullptr) return;
        m_strPath = szTemplate;
        m_nOwner = getpid();
        setenv("PENDULON_RUNTIME_DIR", szTemplate, 1);
    }
    ~CPrivateRuntimeDir()
    {
        // A forked child that ends through exit() leaves the directory to the test process.
        if (m_strPath.empty() || getpid() != m_nOwner) return;
        std::error_code error;
        std::filesystem::remove_all(m_strPath, error);
    }
    CPrivateRuntimeDir(const CPrivateRuntimeDir&) = delete;
    CPrivateRuntimeDir& operator=(const CPrivateRuntimeDir&) = delete;

private:
    std::string m_strPath;
    pid_t m_nOwner = -1;
};

const CPrivateRuntimeDir g_RuntimeDir;

}  // namespace
