// SPDX-License-Identifier: GPL-2.0-or-later
// Gives each test process locks, a work directory and a systemd directory of its own. ctest
// runs the tests in parallel processes, and as root they would all share /run/lock/pendulon/
// (and wait for a pendulon running on the machine), and a command that remembers what it was
// told (the chosen clock chip model) would leave it in /var/lib/pendulon/ for the next test
// and for the user. Unless PENDULON_RUNTIME_DIR, PENDULON_WORKDIR and PENDULON_SYSTEMD_DIR
// are set already, they are set here, before any test runs, to fresh private directories that
// are removed when the process ends; programs the tests start inherit them.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class CPrivateDir {
public:
    explicit CPrivateDir(const char* pszVariable)
    {
        if (getenv(pszVariable) != nullptr) return;
        char szTemplate[] = "/tmp/pendulon-test-XXXXXX";
        if (mkdtemp(szTemplate) == nullptr) return;
        m_strPath = szTemplate;
        m_nOwner = getpid();
        setenv(pszVariable, szTemplate, 1);
    }
    ~CPrivateDir()
    {
        // A forked child that ends through exit() leaves the directory to the test process.
        if (m_strPath.empty() || getpid() != m_nOwner) return;
        std::error_code error;
        std::filesystem::remove_all(m_strPath, error);
    }
    CPrivateDir(const CPrivateDir&) = delete;
    CPrivateDir& operator=(const CPrivateDir&) = delete;

private:
    std::string m_strPath;
    pid_t m_nOwner = -1;
};

const CPrivateDir g_RuntimeDir("PENDULON_RUNTIME_DIR");
const CPrivateDir g_WorkDir("PENDULON_WORKDIR");
const CPrivateDir g_SystemdDir("PENDULON_SYSTEMD_DIR");

}  // namespace
