// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A board as its file describes it, checked and decoded; the board is built from this.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processors.h"
#include "sim/PCIVisibility.h"
#include "sim/SMBusConfig.h"

namespace sim {

// The CPUID answers of one processor. A leaf is either plain (the same answer for every
// sub-leaf) or indexed by sub-leaf (a sub-leaf that is not listed answers zeros).
struct CpuidLeaf {
    bool bIndexed = false;
    platform::CpuidRegs Plain{};
    std::map<uint32_t, platform::CpuidRegs> SubLeaves;
};
using CpuidTable = std::map<uint32_t, CpuidLeaf>;

struct CpuConfig {
    uint32_t nApicId = 0;
    CpuidTable Cpuid;
    std::map<uint32_t, uint64_t> Msrs;
};

struct PCIFunctionConfig {
    uint8_t nBus = 0, nDevice = 0, nFunction = 0;
    std::unique_ptr<std::array<uint8_t, 4096>> pConfig;  // the configuration space at reset
    std::optional<PCIVisibilityRule> Visibility;  // "visible_when": the function can be hidden
    std::string strKernelDriver;  // "kernel_driver": the driver the machine's kernel has bound to it
};

struct MemoryRegionConfig {
    uint64_t qwBase = 0;
    uint64_t qwSize = 0;
    std::vector<uint8_t> Bytes;  // at most qwSize; the rest is zero
};

struct BoardConfig {
    std::string strName;
    std::string strDescription;
    // The bus clock in Hz and the multiplier of the processors as a fraction.
    uint64_t qwBusHz = 0;
    uint64_t qwMultiplierNum = 1, qwMultiplierDen = 1;
    std::optional<uint32_t> nMicrocode;  // revision MSR 0x8B reports after CPUID leaf 1
    std::vector<CpuConfig> Cpus;
    std::vector<PCIFunctionConfig> Pci;
    std::vector<MemoryRegionConfig> Memory;
    uint64_t qwEnhancedBase = 0;  // 0: no enhanced configuration window
    uint32_t nEnhancedBuses = 0;
    uint16_t wPMTimerPort = 0;  // 0: no PM timer
    uint64_t qwApicBase = 0xFEE00000;
    bool bApicTimerRunning = false;
    std::vector<SMBusControllerConfig> SMBus;  // "smbus": host controllers with their buses
};

// Limits that keep a hostile board file from exhausting the machine.
constexpr size_t MAX_BOARD_FILE_BYTES = 16u << 20;
constexpr unsigned MAX_CPUS = 64;
constexpr size_t MAX_PCI_FUNCTIONS = 1024;
constexpr uint64_t MAX_MEMORY_BYTES = 64u << 20;  // all regions together
constexpr unsigned MAX_JSON_DEPTH = 32;

// Decodes a board file. strLabel names the board in error messages (empty: its name field). False with one clear
// message in strError (naming the board and the field) when the file is not a valid board.
bool bParseBoardFile(const std::string& strText, const std::string& strLabel, BoardConfig& config,
                     std::string& strError);

}  // namespace sim
