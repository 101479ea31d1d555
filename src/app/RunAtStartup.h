// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The option "Apply current settings at startup": a systemd unit "pendulon-apply.service"
// (oneshot) that runs the program with "-i p=0" at boot, enabled by its link in
// "multi-user.target.wants/". Beside it a timer, "pendulon-apply-ok.timer" (enabled by its link
// in "timers.target.wants/"), starts "pendulon-apply-ok.service" a few minutes after boot: it
// runs "pendulon-cli startup confirm", which clears the mark the boot apply left, so that a
// boot that did not survive its apply is told apart at the next one. The unit tree is
// /etc/systemd/system, or $PENDULON_SYSTEMD_DIR when set (for tests). Every unit is written
// with mode 0644.
#include <string>

namespace app {

inline constexpr const char* RUN_AT_STARTUP_UNIT = "pendulon-apply.service";
inline constexpr const char* RUN_AT_STARTUP_ARGUMENTS = " -i p=0";
inline constexpr const char* CONFIRM_TIMER_UNIT = "pendulon-apply-ok.timer";
inline constexpr const char* CONFIRM_SERVICE_UNIT = "pendulon-apply-ok.service";
inline constexpr const char* CONFIRM_ARGUMENTS = " startup confirm";
// How long after boot the apply counts as survived.
inline constexpr const char* CONFIRM_AFTER_BOOT = "3min";
inline constexpr const char* CONFIRM_AFTER_BOOT_TEXT = "3 minutes";

// The unit tree in force.
std::string strSystemdDirectory();
// The absolute path of the running program ("" when it cannot be found).
std::string strProgramPath();
// "pendulon-cli" in the directory of strProgram.
std::string strToolBesideProgram(const std::string& strProgram);

// True when the unit is enabled (its link exists; its content is not checked).
bool IsRunAtStartup();
// True when the confirm timer is enabled (its link exists).
bool IsConfirmTimerEnabled();
// Writes the three units for the program at strProgram (absolute; the confirm service runs
// pendulon-cli beside it) and enables the apply unit and the timer. False when the unit tree
// cannot be written (no right to write there); nothing is then left behind.
bool SetRunAtStartup(const std::string& strProgram);
// Disables and removes the three units, and the "wants" directories when that leaves them
// empty. True when the apply unit was enabled and now is not.
bool RemoveRunAtStartup();

// The units' texts (paths escaped for systemd).
std::string strRunAtStartupUnit(const std::string& strProgram);
std::string strConfirmServiceUnit(const std::string& strTool);
std::string strConfirmTimerUnit();

}  // namespace app
