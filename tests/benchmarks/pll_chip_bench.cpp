// SPDX-License-Identifier: GPL-2.0-or-later
// The cost of previewing a new FSB on an ICS 951462: the divider search and the decode the
// PLL Control window runs at every slider move. Reported beside the 200 ms a real change must
// wait for the clocks to settle, as previews per settle wait.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "pll/ClockGenerator.h"
#include "pll/PLLChipRegistry.h"
#include "smbus/ICCommandSet.h"

namespace {

// A chip that answers a block read with the register image of a board at 200 MHz.
class CImageChip : public CICCommandSet {
public:
    CImageChip()
    {
        m_abImage[8] = 21;
        m_abImage[10] = 0x80;
        m_abImage[11] = m_abImage[15] = 0xD0;
        m_abImage[12] = m_abImage[16] = 0xE6;
        m_abImage[19] = 0x48;
        m_abImage[20] = 0x09;
    }
    int32_t ReadBlock(uint8_t, int32_t, uint8_t* pBuffer) override
    {
        std::memcpy(pBuffer, m_abImage, 21);
        return 21;
    }

private:
    uint8_t m_abImage[256] = {};
};

void BM_PreviewICS951462(benchmark::State& state)
{
    CImageChip chip;
    std::unique_ptr<CClockGenerator> pPLL(pCreateSMBusClockChip(0x01951462));
    if (!pPLL) {
        state.SkipWithError("no ICS 951462 driver");
        return;
    }
    pPLL->m_pCommandSet = &chip;
    CFrequencySet current;
    if (!pPLL->bReadClocks(current)) {
        state.SkipWithError("the image could not be read");
        return;
    }
    // A slider sweep from 100 to 600 MHz with the PCI-E clock moving too.
    float fFSB = 100.0f;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CFrequencySet wanted;
        wanted.m_fFSB = fFSB;
        wanted.m_fGSB = 50.0f + fFSB * 0.25f;
        benchmark::DoNotOptimize(pPLL->bPreviewClocks(wanted));
        benchmark::DoNotOptimize(wanted.m_fFSB);
        fFSB = fFSB < 600.0f ? fFSB + 0.5f : 100.0f;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (state.iterations() > 0 && elapsed.count() > 0)
        state.counters["previews_per_settle_wait"] = 0.2 / (elapsed.count() / double(state.iterations()));
}
BENCHMARK(BM_PreviewICS951462);

}  // namespace
