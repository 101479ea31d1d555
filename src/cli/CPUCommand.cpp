// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CPUCommand.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <optional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/Output.h"
#include "cpu/CPUInfos.h"
#include "cpu/CPUInterface.h"
#include "cpu/CPUThread.h"
#include "cpu/FIDVIDControl.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

using json = nlohmann::json;

constexpr unsigned MAX_WATCH_SECONDS = 7 * 24 * 3600;
constexpr auto WATCH_PERIOD = std::chrono::seconds(1);
constexpr auto WATCH_SLICE = std::chrono::milliseconds(20);

volatile std::sig_atomic_t g_bInterrupted = 0;

void OnInterrupt(int) { g_bInterrupted = 1; }

// SIGINT ends the watch after the refresh under way, so the kit lock and the device are
// always given back; the previous handler returns when the watch ends.
class CInterruptScope {
public:
    CInterruptScope()
    {
        g_bInterrupted = 0;
        struct sigaction action = {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_Previous);
    }
    ~CInterruptScope() { sigaction(SIGINT, &m_Previous, nullptr); }
    CInterruptScope(const CInterruptScope&) = delete;
    CInterruptScope& operator=(const CInterruptScope&) = delete;

private:
    struct sigaction m_Previous = {};
};

json Known(float f) { return f > 0.0f ? json(double(f)) : json(nullptr); }

std::string strClock(float f)
{
    if (!(f > 0.0f)) return "unknown";
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.2f MHz", double(f));
    return sz;
}

std::string strMultiplier(float f)
{
    if (!(f > 0.0f)) return "unknown";
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.1f", double(f));
    return sz;
}

const char* pszCacheType(int32_t nType)
{
    switch (nType) {
    case CACHE_TYPE_DATA: return "data";
    case CACHE_TYPE_INSTRUCTION: return "instruction";
    case CACHE_TYPE_UNIFIED: return "unified";
    default: return "unknown";
    }
}

// The frequency/voltage control of the thread's most specific object that has one.
FIDVID_Control* pFindControl(const CCPUThread& thread)
{
    for (int n = 2; n >= 0; --n)
        if (thread.m_pInfos[n] && thread.m_pInfos[n]->m_pControl) return thread.m_pInfos[n]->m_pControl;
    return nullptr;
}

std::vector<std::string> Features(const CCPUThread& thread)
{
    const struct {
        uint8_t bSet;
        const char* pszName;
    } flags[] = {
        {thread.m_bMMX, "MMX"},     {thread.m_bExtMMX, "MMX+"}, {thread.m_b3DNow, "3DNow!"},
        {thread.m_bExt3DNow, "3DNow!+"}, {thread.m_bSSE, "SSE"}, {thread.m_bSSE2, "SSE2"},
        {thread.m_bSSE3, "SSE3"},   {thread.m_bSSSE3, "SSSE3"}, {thread.m_bX86_64, "x86-64"},
    };
    std::vector<std::string> names;
    for (const auto& flag : flags)
        if (flag.bSet) names.push_back(flag.pszName);
    return names;
}

struct CacheFacts {
    const CCacheDescriptor* pDescriptor;
    unsigned nCount;  // instances in the package
};

// A package's caches in the order first seen, each with the number of times it is listed.
std::vector<CacheFacts> Caches(CProcessor& processor)
{
    std::vector<CacheFacts> caches;
    for (CTListItem<CCacheDescriptor>* p = processor.m_pCacheList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        CacheFacts* pSeen = nullptr;
        for (CacheFacts& facts : caches)
            if (facts.pDescriptor == p->m_pObject) pSeen = &facts;
        if (pSeen)
            ++pSeen->nCount;
        else
            caches.push_back({p->m_pObject, 1});
    }
    return caches;
}

template <typename T, typename F>
void vForEach(CTList<T>* pList, F&& fn)
{
    for (CTListItem<T>* p = pList->m_pHead; p && p->m_pObject; p = p->m_pNext) fn(*p->m_pObject);
}

// The measured clocks: the bus clock and every core's clock and multiplier.
json ClocksJson(CCPUInterface& cpu)
{
    json cores = json::array();
    vForEach(cpu.m_pProcessorList, [&](CDevice& device) {
        CProcessor& processor = static_cast<CProcessor&>(device);
        vForEach(processor.m_pCoreList, [&](CCPUCore& core) {
            cores.push_back({{"package", processor.m_nIndex},
                             {"core", core.m_nCoreID},
                             {"clock_mhz", Known(core.m_fClock)},
                             {"multiplier", Known(core.m_fMultiplier)}});
        });
    });
    return {{"bus_clock_mhz", Known(cpu.m_fBusClock)}, {"apic_bus_clock_mhz", Known(cpu.m_fAPICBusClock)},
            {"cores", cores}};
}

std::string strClocksLine(CCPUInterface& cpu)
{
    std::string str = "bus " + strClock(cpu.m_fBusClock);
    vForEach(cpu.m_pProcessorList, [&](CDevice& device) {
        CProcessor& processor = static_cast<CProcessor&>(device);
        vForEach(processor.m_pCoreList, [&](CCPUCore& core) {
            char sz[48];
            std::snprintf(sz, sizeof sz, ", core %u.%d ", processor.m_nIndex, core.m_nCoreID);
            str += sz + strClock(core.m_fClock) + " (x" + strMultiplier(core.m_fMultiplier) + ")";
        });
    });
    return str;
}

json ControlJson(FIDVID_Control* pControl)
{
    if (!pControl) return nullptr;
    return {{"current_multiplier", Known(pControl->GetCurrentMultiplier())},
            {"min_multiplier", Known(pControl->GetMinMultiplier())},
            {"max_multiplier", Known(pControl->GetMaxMultiplier())},
            {"min_voltage", Known(pControl->GetMinVoltage())},
            {"max_voltage", Known(pControl->GetMaxVoltage())},
            {"current_fid", pControl->m_nCurrentFID},
            {"current_vid", pControl->m_nCurrentVID}};
}

json ReportJson(CCPUInterface& cpu)
{
    json processors = json::array();
    vForEach(cpu.m_pProcessorList, [&](CDevice& device) {
        CProcessor& processor = static_cast<CProcessor&>(device);
        json threads = json::array(), caches = json::array();
        vForEach(processor.m_pThreadList, [&](CCPUThread& thread) {
            threads.push_back({{"index", thread.m_nIndex}, {"apic_id", thread.m_nAPICID}, {"core", thread.m_nCoreID},
                               {"smt", thread.m_nSMTID}});
        });
        for (const CacheFacts& facts : Caches(processor)) {
            const CCacheDescriptor& cache = *facts.pDescriptor;
            caches.push_back({{"level", cache.m_nLevel}, {"type", pszCacheType(cache.m_nType)},
                              {"size_kb", cache.m_nSize > 0 ? json(cache.m_nSize) : json(nullptr)},
                              {"sharing", cache.m_nSharing}, {"line", cache.m_nLineSize}, {"ways", cache.m_nWays},
                              {"sets", cache.m_nSets}, {"count", facts.nCount}});
        }
        const char* pszPackage = processor.GetPackageName();
        processors.push_back({{"index", processor.m_nIndex},
                              {"package_id", processor.m_nPackageID},
                              {"package", pszPackage[0] ? json(pszPackage) : json(nullptr)},
                              {"cores", processor.m_pCoreList->m_nCount},
                              {"threads", threads},
                              {"caches", caches}});
    });

    json document = {{"packages", cpu.m_nPackages},
                     {"cores", cpu.m_pCoreList->m_nCount},
                     {"threads", cpu.m_pThreadList->m_nCount},
                     {"processors", processors}};
    CProcessor* pFirst = cpu.GetProcessor(0);
    CCPUThread* pThread = pFirst ? pFirst->GetFirstThread() : nullptr;
    if (pThread) {
        const CCPUThread& t = *pThread;
        auto orNull = [](const char* psz) { return psz[0] ? json(psz) : json(nullptr); };
        document.update({{"vendor", orNull(t.m_szVendor)},
                         {"name", t.m_szName},
                         {"code_name", orNull(t.m_szCodeName)},
                         {"brand", orNull(t.m_szBrand)},
                         {"family", t.m_nFamily},
                         {"model", t.m_nModel},
                         {"stepping", t.m_nStepping},
                         {"ext_family", t.m_nExtFamily},
                         {"ext_model", t.m_nExtModel},
                         {"signature", t.m_dwSignature},
                         {"code", t.m_dwCode},
                         {"features", Features(t)},
                         {"multiplier", Known(pFirst->GetCoreMultiplier(0))},
                         {"rated_bus_mhz", Known(pFirst->GetRatedBusClock())},
                         {"fid_vid", ControlJson(pFindControl(t))}});
    }
    document.update(ClocksJson(cpu));
    return document;
}

// A range when both ends are known, else the end that is, as the machine dump words it.
void vPrintRange(const char* pszWhat, float fMin, float fMax, const char* pszFormat)
{
    auto str = [&](float f) {
        char sz[32];
        std::snprintf(sz, sizeof sz, pszFormat, double(f));
        return std::string(sz);
    };
    if (fMin > 0.0f && fMax > 0.0f)
        std::printf("%s range:    %s - %s\n", pszWhat, str(fMin).c_str(), str(fMax).c_str());
    else if (fMin > 0.0f)
        std::printf("min %s:      %s\n", pszWhat, str(fMin).c_str());
    else if (fMax > 0.0f)
        std::printf("max %s:      %s\n", pszWhat, str(fMax).c_str());
}

void vPrintControl(FIDVID_Control* pControl)
{
    if (!pControl) return;
    vPrintRange("FID", pControl->GetMinMultiplier(), pControl->GetMaxMultiplier(), "%.1fx");
    vPrintRange("VID", pControl->GetMinVoltage(), pControl->GetMaxVoltage(), "%.3fV");
}

void vPrintReport(CCPUInterface& cpu)
{
    std::printf("Processors:   %u package(s), %u core(s), %u thread(s)\n", cpu.m_nPackages, cpu.m_pCoreList->m_nCount,
                cpu.m_pThreadList->m_nCount);
    CProcessor* pFirst = cpu.GetProcessor(0);
    CCPUThread* pThread = pFirst ? pFirst->GetFirstThread() : nullptr;
    if (pThread) {
        const CCPUThread& t = *pThread;
        std::printf("Vendor:       %s\n", t.m_szVendor[0] ? t.m_szVendor : "unknown");
        std::printf("Name:         %s%s%s%s\n", t.m_szName, t.m_szCodeName[0] ? " (" : "", t.m_szCodeName,
                    t.m_szCodeName[0] ? ")" : "");
        if (t.m_szBrand[0]) std::printf("Brand:        %s\n", t.m_szBrand);
        std::printf("Family:       %u, model %u, stepping %u (ext. family %u, ext. model %u)\n", t.m_nFamily,
                    t.m_nModel, t.m_nStepping, t.m_nExtFamily, t.m_nExtModel);
        std::string strFeatures;
        for (const std::string& str : Features(t)) strFeatures += (strFeatures.empty() ? "" : " ") + str;
        std::printf("Features:     %s\n", strFeatures.empty() ? "none known" : strFeatures.c_str());
        if (pFirst->GetPackageName()[0]) std::printf("Package:      %s\n", pFirst->GetPackageName());
        for (const CacheFacts& facts : Caches(*pFirst)) {
            const CCacheDescriptor& cache = *facts.pDescriptor;
            std::string strSize = cache.m_nSize > 0 ? std::to_string(cache.m_nSize) + " KB" : "size unknown";
            std::printf("Cache:        L%d %s, %s%s\n", cache.m_nLevel, pszCacheType(cache.m_nType), strSize.c_str(),
                        facts.nCount > 1 ? (" x" + std::to_string(facts.nCount)).c_str() : "");
        }
        std::printf("Multiplier:   %s\n", strMultiplier(pFirst->GetCoreMultiplier(0)).c_str());
    }
    std::printf("Bus clock:    %s\n", strClock(cpu.m_fBusClock).c_str());
    vForEach(cpu.m_pProcessorList, [&](CDevice& device) {
        CProcessor& processor = static_cast<CProcessor&>(device);
        vForEach(processor.m_pCoreList, [&](CCPUCore& core) {
            std::printf("Core %u.%d:     %s, multiplier %s\n", processor.m_nIndex, core.m_nCoreID,
                        strClock(core.m_fClock).c_str(), strMultiplier(core.m_fMultiplier).c_str());
        });
    });
    if (pThread) vPrintControl(pFindControl(*pThread));
}

void vPrintClocks(CCPUInterface& cpu, bool bJson)
{
    if (bJson)
        std::printf("%s\n", ClocksJson(cpu).dump().c_str());
    else
        std::printf("%s\n", strClocksLine(cpu).c_str());
    std::fflush(stdout);
}

// Waits one period of real time (the board's clock does not pass by itself); false when
// interrupted.
bool bWaitPeriod()
{
    const auto end = std::chrono::steady_clock::now() + WATCH_PERIOD;
    while (!g_bInterrupted && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(WATCH_SLICE);
    return !g_bInterrupted;
}

class CCPUCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        m_pCommand = app.add_subcommand("cpu", "The processors: identification, caches, multiplier and clocks");
        m_pWatch = m_pCommand->add_option("--watch", m_strWatch,
                                          "measure the clocks again once a second, SECONDS times "
                                          "(without a number: until interrupted)")
                       ->expected(0, 1)
                       ->type_name("[SECONDS]");
    }
    bool bChosen() const override { return m_pCommand && m_pCommand->parsed(); }

    int nRun(const GlobalOptions& options) override
    {
        const bool bWatch = m_pWatch->count() > 0;
        unsigned nRefreshes = 0;  // 0: until interrupted
        if (bWatch && !m_strWatch.empty() && !bParseSeconds(m_strWatch, nRefreshes)) {
            vError("--watch: '%s' is not a number of seconds from 1 to %u", m_strWatch.c_str(), MAX_WATCH_SECONDS);
            return EXIT_USAGE;
        }

        std::optional<CInterruptScope> interrupt;
        if (bWatch) interrupt.emplace();
        CSession session(options);
        if (int n = session.nStart()) return n;
        if (!session.bBegin()) return EXIT_FAILED;
        session.vBuildKit();
        CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
        if (!pCPU || !pCPU->GetProcessor(0)) {
            session.vEnd();
            vError("no processors found");
            return EXIT_FAILED;
        }
        if (!bWatch) {
            const json document = options.bJson ? ReportJson(*pCPU) : json();
            session.vEnd();
            if (options.bJson)
                vPrintJson(document);
            else
                vPrintReport(*pCPU);
            return EXIT_OK;
        }
        session.vEnd();
        return nWatch(session, *pCPU, options.bJson, nRefreshes);
    }

private:
    static bool bParseSeconds(const std::string& str, unsigned& nSeconds)
    {
        if (str.empty() || str.size() > 7 || str.find_first_not_of("0123456789") != std::string::npos) return false;
        nSeconds = unsigned(std::stoul(str));
        return nSeconds >= 1 && nSeconds <= MAX_WATCH_SECONDS;
    }

    // The first line shows what the interface measured while it was built; each later one
    // is measured with the kit locked and the device open.
    static int nWatch(CSession& session, CCPUInterface& cpu, bool bJson, unsigned nRefreshes)
    {
        vPrintClocks(cpu, bJson);
        for (unsigned n = 1; nRefreshes == 0 || n < nRefreshes; ++n) {
            if (!bWaitPeriod()) break;
            if (!session.bBegin()) return EXIT_FAILED;
            cpu.UpdateClocks();
            session.vEnd();
            vPrintClocks(cpu, bJson);
        }
        return EXIT_OK;
    }

    CLI::App* m_pCommand = nullptr;
    CLI::Option* m_pWatch = nullptr;
    std::string m_strWatch;
};

}  // namespace

std::unique_ptr<CCommand> CreateCPUCommand() { return std::make_unique<CCPUCommand>(); }

}  // namespace cli
