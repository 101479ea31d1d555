// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What an SMBus controller can do, as i2c-tools asks an adapter for its functions
// (I2C_FUNCS) before a command: the transactions its class runs and how its block transfers
// move. A command that needs a function the controller lacks is refused before it touches the
// bus.
#include <cstdint>
#include <string>
#include <vector>

enum : uint32_t {
    SMBUS_FUNC_READ_BYTE_DATA = 1u << 0,
    SMBUS_FUNC_WRITE_BYTE_DATA = 1u << 1,
    SMBUS_FUNC_READ_WORD_DATA = 1u << 2,
    SMBUS_FUNC_WRITE_WORD_DATA = 1u << 3,
    SMBUS_FUNC_READ_BLOCK_DATA = 1u << 4,
    SMBUS_FUNC_WRITE_BLOCK_DATA = 1u << 5,
    // How the blocks move, beside the two block functions:
    SMBUS_FUNC_BLOCK_BUFFER = 1u << 8,    // whole, through the host's block buffer or array
    SMBUS_FUNC_BLOCK_BY_BYTES = 1u << 9,  // byte by byte, each released by the byte-done flag
    SMBUS_FUNC_BLOCK_CHUNKS = 1u << 10,   // eight bytes at a time through the data registers

    SMBUS_FUNC_BYTE_DATA = SMBUS_FUNC_READ_BYTE_DATA | SMBUS_FUNC_WRITE_BYTE_DATA,
    SMBUS_FUNC_WORD_DATA = SMBUS_FUNC_READ_WORD_DATA | SMBUS_FUNC_WRITE_WORD_DATA,
    SMBUS_FUNC_BLOCK_DATA = SMBUS_FUNC_READ_BLOCK_DATA | SMBUS_FUNC_WRITE_BLOCK_DATA,
};

// The functions by name, in the order above: "read-byte", "write-byte", "read-word",
// "write-word", "read-block", "write-block", "block-buffer", "block-by-bytes", "block-chunks".
std::vector<std::string> SMBusFunctionNames(uint32_t dwFunctions);
// The same joined with commas ("read-byte,write-byte"); "none" when there are none.
std::string strSMBusFunctions(uint32_t dwFunctions);
// One function as a command needs it, in words: "block reads", "word writes".
std::string strSMBusFunctionNeed(uint32_t dwFunction);
