// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the pll and membuf commands print and take: clock chip models by id or name, clocks
// as text or JSON, the register image as i2cdump prints a block, the version for the dump
// report, the progress of a walk and the question before a write.
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/Session.h"

class CClockGenerator;
class CFrequencySet;

namespace cli {

// "0x01951462" (or up to 8 hex digits) or a display name (letter case aside). Nothing, with
// the reason in strWhy, for a model in neither table or a name two models share.
std::optional<uint32_t> ParsePLLModel(const std::string& strModel, std::string& strWhy);
// A clock in MHz, as "%.2f" with one decimal point and nothing else.
std::optional<float> ParseMHz(const std::string& str);

// "AGP", "PCIE" or "GSB" by the generator's GSB kind.
const char* pszGSBLabel(const CClockGenerator& generator);
std::string strModelName(uint32_t dwPLLID);

// The clocks of a set: text lines "FSB  266.67 MHz" (unknown clocks say so), or JSON.
std::string strClocks(const CClockGenerator& generator, const CFrequencySet& set);
nlohmann::json ClocksJson(const CClockGenerator& generator, const CFrequencySet& set);

// The register image as i2cdump prints a block.
std::string strRegisterImage(const uint8_t* pBytes, int32_t nCount);

// The program's version as the dump report's header shows it: "0.1.0" → "0.1", "1.0.5.3"
// as it stands, nothing when all parts are 0.
std::string strFormatVersion(const std::string& strVersion);

// The progress bar of an FSB walk, on stderr; the walk's callback.
void vPrintProgress(int32_t nStep, int32_t nTotal);
void vEndProgress();

}  // namespace cli
