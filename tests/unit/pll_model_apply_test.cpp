// SPDX-License-Identifier: GPL-2.0-or-later
// The clock set record and the gradual walk of the FSB and GSB to new values.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include "pll/ClockGenerator.h"

namespace {

// A driver that only notes what it is asked to set.
class CRecordingGenerator : public CClockGenerator {
public:
    uint32_t bSetFSB(float f) override
    {
        m_Writes.push_back({'F', f});
        return 1;
    }
    uint32_t bSetGSB(float f) override
    {
        m_Writes.push_back({'G', f});
        return 0;  // a failing step does not stop the walk
    }
    std::vector<std::pair<char, float>> m_Writes;
};

std::vector<std::pair<int, int>> g_Progress;
void vNoteProgress(int32_t nStep, int32_t nTotal) { g_Progress.push_back({nStep, nTotal}); }

std::vector<std::pair<char, float>> Walk(float fFrom, float fTo, float fGSBFrom = -1, float fGSBTo = -1,
                                         uint32_t bGSBEnabled = 1)
{
    CRecordingGenerator generator;
    generator.m_Current.m_fFSB = fFrom;
    generator.m_Current.m_fGSB = fGSBFrom;
    generator.m_bGSBEnabled = bGSBEnabled;
    CFrequencySet target;
    target.m_fFSB = fTo;
    target.m_fGSB = fGSBTo;
    g_Progress.clear();
    EXPECT_EQ(generator.bApplyClocks(target, vNoteProgress), 1u);
    return generator.m_Writes;
}

using Writes = std::vector<std::pair<char, float>>;

TEST(PLLModelApply, UpwardWalkStepsByFiveAndEndsOnTheTarget)
{
    EXPECT_EQ(Walk(200, 213), (Writes{{'F', 205}, {'F', 210}, {'F', 213}}));
    EXPECT_EQ(g_Progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
}

TEST(PLLModelApply, SmallOrNoChangeIsOneWrite)
{
    EXPECT_EQ(Walk(200, 204), (Writes{{'F', 204}}));
    EXPECT_TRUE(g_Progress.empty());
    EXPECT_EQ(Walk(200, 200), (Writes{{'F', 200}}));
}

TEST(PLLModelApply, DownwardWalk)
{
    EXPECT_EQ(Walk(213, 200), (Writes{{'F', 208}, {'F', 203}, {'F', 200}}));
    EXPECT_EQ(g_Progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
}

TEST(PLLModelApply, GSBFollowsTheFSBWithoutProgress)
{
    EXPECT_EQ(Walk(200, 204, 100, 111), (Writes{{'F', 204}, {'G', 105}, {'G', 110}, {'G', 111}}));
    EXPECT_TRUE(g_Progress.empty());
}

TEST(PLLModelApply, UnknownClocksAreLeftAlone)
{
    // A target without an FSB still applies the GSB.
    EXPECT_EQ(Walk(200, -1, 100, 103), (Writes{{'G', 103}}));
    // An FSB that was never read cannot be walked from.
    EXPECT_EQ(Walk(-1, 213, 100, 103), (Writes{{'G', 103}}));
    // The GSB switched off: only the FSB moves.
    EXPECT_EQ(Walk(200, 204, 100, 111, 0), (Writes{{'F', 204}}));
    // A GSB never read stays where it is.
    EXPECT_EQ(Walk(200, 204, -1, 111), (Writes{{'F', 204}}));
}

TEST(PLLModelApply, StepThatCannotAdvanceGoesStraightToTheTarget)
{
    CRecordingGenerator generator;
    generator.m_Current.m_fFSB = 200;
    generator.m_fFSBStep = 0;
    CFrequencySet target;
    target.m_fFSB = 250;
    generator.bApplyClocks(target, nullptr);
    EXPECT_EQ(generator.m_Writes, (Writes{{'F', 250}}));
}

// Turns a walk that would never end into a failed test instead of a hung one.
class CBoundedRecorder : public CRecordingGenerator {
public:
    uint32_t bSetFSB(float f) override
    {
        if (m_Writes.size() >= 1000) throw std::runtime_error("the walk does not end");
        return CRecordingGenerator::bSetFSB(f);
    }
};

TEST(PLLModelApply, WalkFromOrToAClockNoChipCanHaveIsRefused)
{
    const float fInf = std::numeric_limits<float>::infinity();
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, float> walks[] = {
        {fInf, 300.0f}, {300.0f, fInf}, {fNaN, 300.0f}, {300.0f, fNaN},
        {1e9f, 300.0f},       // 200 million steps
        {300.0f, 1e9f},
        {1e9f, 1e9f + 200},   // 5 MHz is lost in the rounding of 1e9: the walk cannot move
        {100.0f, 2700.0f},    // 520 steps: farther than any chip spans
    };
    for (const auto& [fFrom, fTo] : walks) {
        CBoundedRecorder generator;
        generator.m_Current.m_fFSB = fFrom;
        generator.m_Current.m_fGSB = 100.0f;
        CFrequencySet target;
        target.m_fFSB = fTo;
        target.m_fGSB = 110.0f;
        uint32_t bResult = 1;
        EXPECT_NO_THROW(bResult = generator.bApplyClocks(target, nullptr)) << fFrom << " -> " << fTo;
        EXPECT_EQ(bResult, 0u) << fFrom << " -> " << fTo;
        EXPECT_TRUE(generator.m_Writes.empty()) << fFrom << " -> " << fTo;  // not even the GSB
    }
    // The GSB is held to the same rule.
    CBoundedRecorder generator;
    generator.m_Current.m_fFSB = 200.0f;
    generator.m_Current.m_fGSB = fInf;
    CFrequencySet target;
    target.m_fFSB = 210.0f;
    target.m_fGSB = 100.0f;
    EXPECT_EQ(generator.bApplyClocks(target, nullptr), 0u);
    EXPECT_TRUE(generator.m_Writes.empty());
}

// The walk as it was always made: the steps added up in floats, the count truncated.
Writes ReferenceWalk(float fFrom, float fTo, float fStep, std::vector<std::pair<int, int>>& progress)
{
    Writes writes;
    int nStep = 0;
    if (fFrom < fTo && fStep <= fTo - fFrom) {
        int nTotal = int((fTo - fFrom) / fStep);
        for (float f = fFrom + fStep;; ) {
            writes.push_back({'F', f});
            f = f + fStep;
            progress.push_back({++nStep, nTotal});
            if (!(f < fTo)) break;
        }
    } else if (fFrom >= fTo && fStep <= fFrom - fTo) {
        int nTotal = int((fFrom - fTo) / fStep);
        for (float f = fFrom - fStep;; ) {
            writes.push_back({'F', f});
            f = f - fStep;
            progress.push_back({++nStep, nTotal});
            if (!(f > fTo)) break;
        }
    }
    writes.push_back({'F', fTo});
    return writes;
}

TEST(PLLModelApply, LongWalksAcrossAChipsWholeRangeAreUnchanged)
{
    const std::pair<float, float> walks[] = {
        {100.0f, 600.0f}, {600.0f, 100.0f}, {200.057f, 599.99f}, {66.67f, 400.0f}, {133.371f, 100.0f},
        {100.0f, 1100.0f},  // 200 steps: the widest walk a chip could want
    };
    for (const auto& [fFrom, fTo] : walks) {
        std::vector<std::pair<int, int>> expectedProgress;
        Writes expected = ReferenceWalk(fFrom, fTo, 5.0f, expectedProgress);
        EXPECT_EQ(Walk(fFrom, fTo), expected) << fFrom << " -> " << fTo;
        EXPECT_EQ(g_Progress, expectedProgress) << fFrom << " -> " << fTo;
    }
}

TEST(PLLModelFrequencySet, ClearValidityAndCopy)
{
    CFrequencySet set;
    EXPECT_FALSE(set.bIsValid());
    set.m_fMEM = 200;
    EXPECT_TRUE(set.bIsValid());
    set.m_fMEM = 0;  // zero is unknown as well
    set.m_nPreset = 7;
    EXPECT_TRUE(set.bIsValid());
    set.m_fFSB = 266.5f;
    set.m_fPCI = 33.3f;
    CFrequencySet copy;
    copy.Copy(set);
    EXPECT_EQ(copy.m_nPreset, 7);
    EXPECT_EQ(copy.m_fFSB, 266.5f);
    EXPECT_EQ(copy.m_fPCI, 33.3f);
    set.Clear();
    EXPECT_EQ(set.m_nPreset, 7);  // the preset stays
    for (float f : {set.m_fReserved, set.m_fFSB, set.m_fMEM, set.m_fGSB, set.m_fPCI}) EXPECT_EQ(f, -1.0f);
}

}  // namespace
