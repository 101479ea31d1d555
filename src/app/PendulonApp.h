// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The application object without windows: it keeps the program to one instance, prepares the
// driver, builds the kit in its start order under the kit lock, runs the monitor thread,
// reads and writes the settings file and profile 0, carries the window messages and keeps
// the apply-at-boot option; at exit it takes all of it down again. The windows (and, until
// they exist, the command line front ends) attach to it through CWindowMessages and
// IWindowHost.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Monitor.h"
#include "app/WindowMessages.h"
#include "platform/SingleInstance.h"

class CAccessDevice;
class CDeviceDriver;
class CPLLInterface;
class CClockGenerator;
class ORVEXSDK;

namespace app {

inline constexpr const char* SINGLE_INSTANCE_NAME = "Pendulon";
inline constexpr uint32_t KIT_LOCK_START_MS = 4000;
inline constexpr uint32_t KIT_LOCK_MS = 2000;
inline constexpr uint32_t INTERFACE_LOCK_MS = 2000;
inline constexpr uint32_t DRIVER_VERSION_EXPECTED = 294;
inline constexpr uint32_t PROFILE_APPLY_WAIT_MS = 500;
inline constexpr const char* CAPTION_ERROR = "Pendulon Error";  // the caption of error messages
// The caption of the messages that warn and go on (a profile line left out).
inline constexpr const char* CAPTION_WARNING = "Pendulon Warning";

struct AppOptions {
    std::string strBoard;          // the simulated board, or "" for this machine
    bool bForce = false;           // drive an SMBus controller even while a kernel driver has it
    bool bReset = false;           // "-u"
    bool bApplyAndExit = false;    // "-i"
    bool bSingleInstance = true;   // the program takes the instance lock; the command line tool does not
    bool bStartMonitor = true;
    int nApplyProfile = 0;         // the profile "-i" applies (the program: always 0)
    // "-i" leaves its mark before it writes anything and skips the apply after a boot that did
    // not survive it (app/BootGuard.h); an apply the user asks for by hand does not.
    bool bBootGuard = true;
    std::function<void()> pfnAfterRefresh;  // run after each monitor refresh, kit lock held
    // Tests and benchmarks: the access device to run on instead of the one strBoard names.
    std::function<std::unique_ptr<CAccessDevice>()> pfnAccessDevice;
    std::string strProgram;        // what the boot unit runs; "" for the running program
    // Asked before the start reads a clock chip whose read writes to it (the nForce2 PLL is
    // taken over at its first read), with what the read writes; false leaves the chip unread.
    // Without it the chip is read.
    std::function<bool(const std::string& strWrites)> pfnMayWriteOnRead;
};

// The switches "-u" and "-i" among the arguments after the program name. Each is a whole
// argument: an option value that merely contains the letters (a board named "x-u") is not
// a switch. Other arguments ("p=0" of the boot unit) are not read.
void vReadSwitches(const std::vector<std::string>& args, bool& bReset, bool& bApplyAndExit);

using MessageBoxFn = std::function<void(const char* pszText, const char* pszCaption)>;

class CPendulonApp {
public:
    explicit CPendulonApp(const AppOptions& options);
    ~CPendulonApp();
    CPendulonApp(const CPendulonApp&) = delete;
    CPendulonApp& operator=(const CPendulonApp&) = delete;

    // Startup. False ends the program (with nExitCode): a second instance, a driver that
    // cannot be prepared, a kit lock not taken, and "-i" once profile 0 is applied.
    bool InitInstance();
    // The main window closes: the settings file (unless "-u"), then profile 0 when the
    // apply-at-boot option is on.
    void vCloseMainWindow();
    // Exit, also after a failed start; may be called more than once.
    void ExitInstance();
    int nExitCode() const { return m_nExitCode; }
    // The start ended because another instance holds the single-instance lock.
    bool bAnotherInstanceRuns() const { return m_bAnotherInstance; }

    // Messages and windows.
    CWindowMessages& Messages() { return m_Messages; }
    int NotifyWindows(uint32_t dwMessage) { return m_Messages.NotifyWindows(dwMessage); }
    void vSetWindowHost(IWindowHost* pHost) { m_pHost = pHost; }
    // Opens the tool window through the window host (with its stored placement).
    void OpenToolWindow(EToolWindow eWindow);
    // Where message boxes go (stderr by default).
    void vSetMessageBox(MessageBoxFn pfnMessageBox) { m_pfnMessageBox = std::move(pfnMessageBox); }

    // Apply at boot. A boot unit always applies the real machine's own profile 0: on a
    // simulated board SetRunAtStartup and RemoveRunAtStartup refuse (false) and leave this
    // machine's unit as it is.
    bool IsRunAtStartup();
    bool SetRunAtStartup();
    bool RemoveRunAtStartup();
    // Arms the apply at boot again after a new profile 0: the mark and the record of a skipped
    // apply go. False with strWhy set when one of them stays; bWasHeld says whether there was one.
    bool bRearmBootApply(bool& bWasHeld, std::string& strWhy);

    // Files in the work directory.
    void LoadSettings();
    bool SaveSettings();
    // Applies profile n; the caller holds the kit lock and has the driver device open. Lines
    // that cannot be read are named in a warning. False when a step it asked for could not be
    // carried out (no clock generator, a lock not taken, a write or read-back that failed),
    // when a clock lies outside the model's limits (it is not walked), or when a profile that
    // holds lines held nothing that could be applied; a missing profile asks for nothing.
    bool LoadProfile(int nProfile);
    bool SaveProfile(int nProfile);
    // Asked before the windows write to the hardware (Apply, the IC editor's Apply, the
    // memory buffer's Apply) with what will be written: on this machine the first such write
    // of a run asks, unless "don't ask again" was answered once (m_bAskWrite, kept in the
    // settings file); a simulated board never asks. Without a question to ask (none set)
    // nothing is written on this machine.
    using ConfirmWriteFn = std::function<bool(const std::string& strWhat, bool& bDontAskAgain)>;
    void vSetWriteQuestion(ConfirmWriteFn pfnConfirm) { m_pfnConfirmWrite = std::move(pfnConfirm); }
    bool bMayWrite(const std::string& strWhat);

    // "Save Output": the dump report of the clock generator's image to strPath.
    bool bSaveOutput(const std::string& strPath, std::string& strWhy);

    // "%d.%d.%d.%d" when build or revision is non-zero, else "%d.%d" when major or minor is,
    // else "".
    static std::string FormatVersion(const std::array<int32_t, 4>& version);
    std::string strVersion() const { return FormatVersion(m_Version); }

    ORVEXSDK* Kit() const { return m_pKit; }
    CDeviceDriver* Driver() const { return m_pDriver.get(); }
    CPLLInterface* PLLInterface() const;
    CClockGenerator* ClockGenerator() const;
    const std::string& strWorkDir() const { return m_strWorkDir; }
    // The program runs on a simulated board (--board), not on this machine.
    bool bSimulatedBoard() const { return !m_Options.strBoard.empty(); }
    const std::string& strBoard() const { return m_Options.strBoard; }
    CMonitor& Monitor() { return m_Monitor; }
    // The stored placement of a tool window, null when there is none.
    const WindowPlacement* pStoredPlacement(EToolWindow eWindow) const;
    // A tool window that the user closes stores where it was (the record is made the first
    // time), so that the settings file and its next opening have it.
    void vStorePlacement(EToolWindow eWindow, const WindowPlacement& placement);

    // Members the windows read.
    uint8_t m_abProfileDump[256] = {};
    uint32_t m_bReset = 0;
    uint32_t m_bApplyAndExit = 0;
    uint32_t m_bSnap = 1;
    uint32_t m_bAskWrite = 1;  // 0: "don't ask again" before a write
    uint32_t m_bRunAtStartup = 0;

private:
    bool bStartDriver();
    bool bBuildKit();
    bool bGuardBootApply();
    void vReadCurrentClocks();
    void vReadMemoryBuffer();
    void vMessageBox(const std::string& strText, const char* pszCaption);
    std::string strWorkFile(const std::string& strName) const;

    AppOptions m_Options;
    std::array<int32_t, 4> m_Version{-1, -1, -1, -1};
    std::string m_strWorkDir;  // with its trailing slash; "" when there is none
    platform::CSingleInstance m_Instance;
    std::unique_ptr<CDeviceDriver> m_pDriver;
    ORVEXSDK* m_pKit = nullptr;
    CMonitor m_Monitor;
    CWindowMessages m_Messages;
    IWindowHost* m_pHost = nullptr;
    MessageBoxFn m_pfnMessageBox;
    ConfirmWriteFn m_pfnConfirmWrite;
    bool m_bWriteConfirmed = false;  // a write was agreed to in this run
    std::unique_ptr<WindowPlacement> m_apPlacement[TOOL_WINDOW_COUNT];
    // Without a window system the settings' main placement and open flags are kept as read,
    // so that writing the file at exit does not lose them.
    std::optional<WindowPlacement> m_MainPlacement;
    bool m_abOpenAtStart[TOOL_WINDOW_COUNT] = {};
    int m_nExitCode = 0;
    bool m_bAnotherInstance = false;
    bool m_bExited = false;
};

}  // namespace app
