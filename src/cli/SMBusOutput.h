// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The text layouts of the smbus command, as i2cdetect and i2cdump print them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// Addresses i2cdetect probes by default; the others show as blanks in the grid.
constexpr unsigned SMBUS_FIRST_SCANNED = 0x03;
constexpr unsigned SMBUS_LAST_SCANNED = 0x77;

// One cell per address 0x00 to 0x7F: true where a device answered.
using SMBusScanResult = std::array<bool, 128>;
// One cell per register; nothing where the read failed (or, in block mode, beyond the count).
using SMBusDumpCells = std::array<std::optional<uint8_t>, 256>;

// The grid of i2cdetect: a header, rows "00: " to "70: ", "--" for silence, the address for
// an answer, blanks outside 0x03..0x77.
std::string strSMBusGrid(const SMBusScanResult& answered);

// The table of i2cdump in byte mode: 16 rows of 16 bytes ("XX" for a failed read) and the
// printable column ('.' for 0x00 and 0xFF, '?' for other unprintables, 'X' for a failed read).
// nRows limits the rows printed (block mode prints only the rows the block reaches), and
// bBlankMissing shows missing cells as blanks instead of XX.
std::string strSMBusDump(const SMBusDumpCells& cells, unsigned nRows = 16, bool bBlankMissing = false);

}  // namespace cli
