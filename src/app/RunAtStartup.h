#pragma once
// The option "Apply current settings at startup": a systemd unit "pendulon-apply.service"
// (oneshot) that runs the program with "-i p=0" at boot, enabled by its link in
// "multi-user.target.wants/". The unit tree is /etc/systemd/system, or $PENDULON_SYSTEMD_DIR
// when set (for tests).
#include <string>

namespace app {

inline constexpr const char* RUN_AT_STARTUP_UNIT = "pendulon-apply.service";
inline constexpr const char* RUN_AT_STARTUP_ARGUMENTS = " -i p=0";

// The unit tree in force.
std::string strSystemdDirectory();
// The absolute path of the running program ("" when it cannot be found).
std::string strProgramPath();

// True when the unit is enabled (its link exists; its content is not checked).
bool IsRunAtStartup();
// Writes the unit for the program at strProgram (absolute) and enables it. False when the
// unit tree cannot be written (no right to write there); nothing is then left enabled.
bool SetRunAtStartup(const std::string& strProgram);
// Disables and removes the unit. True when it was enabled and now is not.
bool RemoveRunAtStartup();

// The unit's text for a program path (the path escaped for systemd).
std::string strRunAtStartupUnit(const std::string& strProgram);

}  // namespace app
