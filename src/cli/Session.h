// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every command of pendulon-cli stands on: the access device (the simulated board or
// the machine), the driver and the kit root, set up and taken down as the program does it.
#include <functional>
#include <memory>
#include <string>

class CDeviceDriver;
class CAccessDevice;
class CPCIInterface;

namespace cli {

enum ExitCode { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

struct GlobalOptions {
    std::string strBoard;
    bool bTrace = false;
    bool bJson = false;
    bool bYes = false;
    bool bForce = false;  // drive an SMBus controller even while a kernel driver has it
};

class CSession {
public:
    explicit CSession(const GlobalOptions& options);
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // Chooses and prepares the access device and checks the driver's version. EXIT_OK, or
    // the exit status after one line on stderr.
    int nStart();

    // A sequence of hardware accesses: the kit lock, then the driver device.
    bool bBegin();
    void vEnd();

    // Inside bBegin/vEnd: builds every interface of the kit as the program does at start.
    void vBuildKit();
    // Inside bBegin/vEnd: the PCI interface and its scan only.
    void vBuildPCI();
    // Inside bBegin/vEnd: only the PCI configuration space, for raw access without a scan.
    void vEnsurePCISpace();

    CDeviceDriver& Driver() { return *m_pDriver; }
    const GlobalOptions& Options() const { return m_Options; }
    // Why the access device refused its last access ("" when it did not say).
    std::string strFault() const;

private:
    GlobalOptions m_Options;
    std::unique_ptr<CDeviceDriver> m_pDriver;
    bool m_bLocked = false;
};

// A started session with the whole kit built, for one command: fnRun's exit status, or the
// status of the session that could not start or lock.
int nRunOnWholeKit(const GlobalOptions& options, const std::function<int()>& fnRun);

// A started session with nothing but the PCI functions scanned (configuration reads only),
// for the checks a command makes before it builds the kit: fnLook's exit status, or the
// status of the session that could not start or lock, or EXIT_FAILED without PCI access.
int nLookAtPCI(const GlobalOptions& options, const std::function<int(CPCIInterface&)>& fnLook);

// One line on stderr, prefixed with the program name.
void vError(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

}  // namespace cli
