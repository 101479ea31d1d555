// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the settings and profile files are read: line by line through a 255-character buffer,
// so that at most 254 characters of a line are seen at once and a longer line arrives in
// pieces, each taken as a line of its own. CR LF and LF both end a line.
#include <string>
#include <vector>

namespace app {

// The size of the line buffer; a piece holds at most LINE_BUFFER_SIZE - 1 characters, the
// line feed that ends it included.
inline constexpr size_t LINE_BUFFER_SIZE = 255;

// The pieces of strText in order, without their line feeds. A piece ends at the first NUL
// character it holds (the rest of it is not seen).
std::vector<std::string> SplitLinePieces(const std::string& strText);
// The same, with the number of the file's line (from 1) that each piece comes from put in
// pLineNumbers when it is given.
std::vector<std::string> SplitLinePieces(const std::string& strText, std::vector<size_t>* pLineNumbers);

}  // namespace app
