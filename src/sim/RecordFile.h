// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's record as a text file, for tests that run the programs as separate processes:
// when PENDULON_SIM_RECORD names a file, the simulated access device appends to it, as it is
// released, every write the board served and every SMBus transaction its buses carried.
//
// One line each, numbers in hexadecimal:
//   board NAME                                 a board was released (the lines after are its own)
//   port-write PORT WIDTH VALUE ok|refused     WIDTH in bytes
//   mem-write ADDRESS VALUE ok|refused         a dword
//   msr-write CPU INDEX VALUE ok|refused
//   smbus BUS CHANNEL OP ADDRESS COMMAND STATUS: BYTES
//       BUS the index of the board's SMBus; OP quick, read-byte, write-byte, read-word,
//       write-word, block-read, block-write; STATUS ok, no-answer, data-nack, collision,
//       hung, failed; BYTES as the bus logged them (a block: its count first).
#include <string>

namespace sim {

class CSimBoard;

inline constexpr const char* SIM_RECORD_VARIABLE = "PENDULON_SIM_RECORD";

// Appends the board's record to the file; false when it cannot be written.
bool bAppendRecord(CSimBoard& board, const std::string& strPath);

}  // namespace sim
