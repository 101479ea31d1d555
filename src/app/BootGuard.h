// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The guard of the apply at boot. An unstable clock applied at boot would crash the machine at
// every start, so before "-i" writes anything it leaves a mark in the run's work directory
// (the boot id and the time). A few minutes after boot the confirm timer runs
// "pendulon-cli startup confirm", which clears the mark of the current boot. A mark of another
// boot found by the next "-i" means that apply did not survive: it is turned into a record of
// the skip, and every later boot skips the apply until the user arms it again (a new profile 0
// saved, or the option enabled again). A mark of the current boot (the unit started twice in
// one boot) is no failure.
#include <cstdint>
#include <string>

namespace app {

inline constexpr const char* BOOT_MARK_FILE_NAME = "boot-apply.mark";
inline constexpr const char* BOOT_SKIP_FILE_NAME = "boot-apply.skipped";
inline constexpr const char* BOOT_ID_PATH = "/proc/sys/kernel/random/boot_id";

// The kernel's id of this boot, "" when it cannot be read.
std::string strCurrentBootId();

// The mark: the boot of the apply and when it was made (seconds since the epoch).
struct BootMark {
    std::string strBoot;
    int64_t nTime = 0;
};

// The record of the skip: the apply that did not survive, and since when boots skip.
struct BootSkip {
    std::string strFailedBoot;
    int64_t nFailedTime = 0;
    int64_t nSince = 0;
};

enum class EBootApply {
    Armed,        // no mark, no record: the next boot applies
    Pending,      // applied this boot, not yet confirmed
    Unconfirmed,  // a mark of another boot: that apply did not survive; the next "-i" skips
    Skipped,      // the record: boots skip until the user arms it again
};

struct BootApplyState {
    EBootApply eState = EBootApply::Armed;
    BootMark Mark;  // Pending, Unconfirmed
    BootSkip Skip;  // Skipped
};

// The state kept in strWorkDir (with its trailing slash) as seen from the boot strBoot. A file
// that cannot be read is taken as a failure: a mark as of another boot, a record as a skip.
BootApplyState ReadBootApplyState(const std::string& strWorkDir, const std::string& strBoot);

// "-i", before anything is written to the hardware. True: the mark is left and the apply may
// go on. False with strWhy set: skip the apply (a record, a mark of another boot, which then
// becomes the record, or a mark that could not be written). strRearm says how to arm it again.
bool bEnterBootApply(const std::string& strWorkDir, const std::string& strRearm, std::string& strWhy);

enum class EConfirm {
    Confirmed,  // the mark of this boot was cleared
    Nothing,    // no mark
    OtherBoot,  // a mark of another boot: left for the next "-i"
    Failed,     // the mark could not be removed
};
EConfirm ConfirmBootApply(const std::string& strWorkDir, BootApplyState& state, std::string& strWhy);

// Removes the mark and the record. False with strWhy set when one of them stays. bWasHeld
// tells whether there was one.
bool bRearmBootApply(const std::string& strWorkDir, bool& bWasHeld, std::string& strWhy);

// How the user arms it again for this run: the real machine (strBoard "") or a board.
std::string strRearmHint(const std::string& strBoard);
// A time as "YYYY-MM-DD HH:MM:SS" in local time; "an unknown time" for 0.
std::string strFormatTime(int64_t nTime);

}  // namespace app
