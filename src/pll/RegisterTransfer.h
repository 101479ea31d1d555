// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Moving a chip's register image through its IC command set, shared by the clock generator
// drivers and the memory buffer: one block from command 0, or one word per register with the
// register index (OR 0x80 for the second word method) as command.
#include <cstdint>

class CICCommandSet;

// Reads the chip into pImage (256 bytes). Returns the number of registers read; 0 when
// nothing arrived, and the image is then left as it was.
int32_t nReadRegisterImage(CICCommandSet* pCommandSet, int32_t nAccessMethod, uint8_t* pImage);

// Writes the first nCount registers of pImage. Returns the number of bytes written (block:
// what the transfer reports, -1 on failure; words: the writes that succeeded before the
// first failure).
int32_t nWriteRegisterImage(CICCommandSet* pCommandSet, int32_t nAccessMethod, const uint8_t* pImage, int32_t nCount);
