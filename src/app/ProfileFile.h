// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The profile file "cg%d.cgp": the clock generator's register image and its clocks, applied
// again at boot. This file holds its text form only; the application applies it.
#include <cstdint>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* PROFILE_HEADER = "[Pendulon Profile]";

// "cg" + number + ".cgp".
std::string strProfileFileName(int nProfile);

// What a profile asks for, in file order, with the rule that an image makes later FSB and GSB
// lines void already applied: such lines are not listed.
enum class ProfileAction {
    WriteDump,  // write the image (nothing when empty) and read the chip back
    ApplyFSB,   // walk the FSB to fClock
    ApplyGSB,   // walk the GSB to fClock
};

struct ProfileStep {
    ProfileAction eAction;
    std::vector<uint8_t> Bytes;  // WriteDump: the image, from register 0
    float fClock = -1.0f;        // ApplyFSB, ApplyGSB: MHz
};

// The highest clock a profile may ask for; a chip runs far below it.
inline constexpr float PROFILE_MAX_CLOCK_MHZ = 1000.0f;

// The steps of the lines after the header (the first line containing "[Pendulon Profile]").
// For each line the first key found decides: "PLLDUMP=", "PLLFSB=", "PLLGSB=", "PLLMEM="
// (accepted, no effect). A "PLLDUMP=" line must start with its key and hold the count and
// that many bytes, each as a piece of one to three hexadecimal digits ended by a space;
// a clock must be a number above 0 and at most PROFILE_MAX_CLOCK_MHZ. Lines that fail these
// rules are left out (ReadProfile says which and why).
std::vector<ProfileStep> ParseProfile(const std::string& strText);

// A line that cannot be read, or a part of one that is not used: the number of the file's
// line (from 1; 0 for the file as a whole), its text, why, and whether the line is left out.
struct ProfileWarning {
    size_t nLine = 0;
    std::string strText;
    std::string strWhy;
    bool bLeftOut = true;
};

// What ParseProfile gives, with the lines it leaves out for what they hold.
struct ProfileReading {
    std::vector<ProfileStep> Steps;
    std::vector<ProfileWarning> Warnings;
    // The file holds more than a header (a line that is not blank after it, or text without
    // a header at all): a profile of nothing but its header asks for nothing.
    bool bHoldsLines = false;
};
ProfileReading ReadProfile(const std::string& strText);

// A line's text in plain ASCII: control characters and bytes above 0x7E as "\xNN", '"' and
// '\' after a backslash.
std::string strPrintableLine(const std::string& strLine);
// "line 3 (\"PLLFSB=fast\"): why; the line is left out", the line's text printable.
std::string strDescribeWarning(const ProfileWarning& warning);

// What a profile holds when written.
struct ProfileContent {
    bool bHasDriver = false;       // the clock generator interface has a model selected
    const uint8_t* pImage = nullptr;
    int32_t nRegisterCount = 0;
    float fFSB = -1.0f;            // m_Current
    float fGSB = -1.0f;
    bool bGSBEnabled = false;
};

// The file's text with LF line ends.
std::string strFormatProfile(const ProfileContent& content);

}  // namespace app
