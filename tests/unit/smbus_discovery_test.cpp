// SPDX-License-Identifier: GPL-2.0-or-later
// SMBus discovery: which controller each south bridge gets, the multiplexed board, finding
// devices, the interface lock and the kernel-driver check of the linux device.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "ChipsetTestKit.h"
#include "KitOnDevice.h"
#include "PciTestKit.h"
#include "app/InterfaceCreation.h"
#include "kit/LinuxAccessDevice.h"
#include "sim/SMBusBus.h"
#include "sim/SimAccessDevice.h"
#include "smbus/ICInterface.h"
#include "smbus/SMBusControllers.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusInterface.h"

namespace {

using chipsettest::CChipsetKit;
using chipsettest::json;
using chipsettest::PciEntry;

std::vector<CSMBusIOSpace*> Controllers()
{
    std::vector<CSMBusIOSpace*> controllers;
    for (CTListItem<CIOSpace>* p = ORVEXSDK::Instance()->m_pIOSpaceList->m_pHead; p && p->m_pObject; p = p->m_pNext)
        if ((p->m_pObject->m_dwType & IOSPACE_SMBUS_PORTS) == IOSPACE_SMBUS_PORTS)
            controllers.push_back(static_cast<CSMBusIOSpace*>(p->m_pObject));
    return controllers;
}

unsigned nSMBusDevices()
{
    unsigned n = 0;
    for (CTListItem<CDevice>* p = ORVEXSDK::Instance()->m_pDeviceList->m_pHead; p && p->m_pObject; p = p->m_pNext)
        n += (p->m_pObject->m_dwType & DEVICE_SMBUS) ? 1 : 0;
    return n;
}

// A board of its own with the given PCI functions after a host bridge, scanned.
class CTableKit {
public:
    explicit CTableKit(const std::string& strFunctions)
        : m_PCI(pcitest::strBoard(R"({"at": "00:00.0", "id": "8086:29a0", "class": "060000", "header": 0},)" +
                                  strFunctions))
    {
        EXPECT_NE(m_PCI.pScan(), nullptr);
    }
    uint32_t dwDetect()
    {
        m_pSMBus = new CSMBusInterface;
        ORVEXSDK::Instance()->m_pSMBusInterface = m_pSMBus;
        ORVEXSDK::Instance()->AddInterface(m_pSMBus);
        return m_pSMBus->DetectControllers();
    }
    uint32_t dwConfig(unsigned nDevice, unsigned nOffset) { return m_PCI.Kit().m_pPCIInterface->ReadConfig(0, nDevice, 0, nOffset); }

private:
    pcitest::CPciKit m_PCI;
    CSMBusInterface* m_pSMBus = nullptr;
};

std::string strFunction(unsigned nDevice, const char* pszId, const std::string& strRegs)
{
    char sz[96];
    std::snprintf(sz, sizeof sz, R"({"at": "00:%02x.0", "id": "%s", "class": "0c0500", "header": 0, "regs": {)", nDevice,
                  pszId);
    return sz + strRegs + "}}";
}

}  // namespace

TEST(SMBusDiscoveryTable, DemoICH8GetsOneICH4ControllerAndLosesTheI2CMode)
{
    CChipsetKit kit("demo", [](json& board) { PciEntry(board, "00:1f.3")["regs"]["0x40.b"] = "0x05"; });
    ASSERT_TRUE(app::CreateSMBusInterface(&kit.Kit()));
    const auto controllers = Controllers();
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_NE(dynamic_cast<Intel_ICH4_SMBusIOSpace*>(controllers[0]), nullptr);
    EXPECT_EQ(controllers[0]->m_dwBase, 0x400u);
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0x40) & 0x5, 0x1u);  // host enabled, I2C mode (bit 2) off
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0x04) & 0x1, 0x1u);
}

TEST(SMBusDiscoveryTable, ICH5ControllerIsFoundOnlyOnceTheChipsetShowedIt)
{
    {
        CChipsetKit hidden("i865pe-ich5");
        ASSERT_TRUE(app::CreateSMBusInterface(&hidden.Kit()));  // Init succeeds without a controller
        EXPECT_TRUE(Controllers().empty());
    }
    CChipsetKit kit("i865pe-ich5");
    ASSERT_NE(kit.pProbe(), nullptr);
    ASSERT_TRUE(app::CreateSMBusInterface(&kit.Kit()));
    const auto controllers = Controllers();
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_NE(dynamic_cast<Intel_ICH4_SMBusIOSpace*>(controllers[0]), nullptr);
}

TEST(SMBusDiscoveryTable, RowsThatEndTheWalkAndRowsThatGoOn)
{
    {  // nForce: one controller per non-zero base register, here only the second
        CTableKit kit(strFunction(1, "10de:0264", R"("0x04.w": "0x0000", "0x20.l": "0x00000000", "0x24.l": "0x00001c41")"));
        EXPECT_EQ(kit.dwDetect(), 1u);
        const auto controllers = Controllers();
        ASSERT_EQ(controllers.size(), 1u);
        EXPECT_NE(dynamic_cast<nVidia_SMBusIOSpace*>(controllers[0]), nullptr);
        EXPECT_EQ(controllers[0]->m_dwBase, 0x1C40u);
        EXPECT_EQ(kit.dwConfig(1, 0x04) & 1, 1u);  // I/O decoding switched on
    }
    {  // a ServerWorks bridge ahead of an ICH ends the walk with success and no controller
        CTableKit kit(strFunction(1, "1166:0201", "") + "," + strFunction(0x1F, "8086:27da", R"("0x20.l": "0x00000401")"));
        EXPECT_EQ(kit.dwDetect(), 1u);
        EXPECT_TRUE(Controllers().empty());
    }
    {  // an ALi M7101 without a base lets the walk go on to the next match
        CTableKit kit(strFunction(1, "10b9:7101", R"("0xe0.l": "0x00000000")") + "," +
                      strFunction(0x1F, "8086:27da", R"("0x20.l": "0x00000501")"));
        EXPECT_EQ(kit.dwDetect(), 1u);
        const auto controllers = Controllers();
        ASSERT_EQ(controllers.size(), 1u);
        EXPECT_EQ(controllers[0]->m_dwBase, 0x500u);
        EXPECT_EQ(kit.dwConfig(1, 0xD0) & (1u << 10), 1u << 10);  // the M7101's own steps still ran
    }
    {  // an old VIA bridge with neither base enabled fails, and a later ICH is not used
        CTableKit kit(strFunction(1, "1106:3057", R"("0x80.l": "0x00005000", "0x90.l": "0x00000000")") + "," +
                      strFunction(0x1F, "8086:27da", R"("0x20.l": "0x00000401")"));
        EXPECT_EQ(kit.dwDetect(), 0u);
        EXPECT_TRUE(Controllers().empty());
    }
    {  // an AMD-756 whose base register was never programmed gets no controller at port 0xE0
        CTableKit kit(strFunction(1, "1022:740b", R"("0x40.l": "0x00008000", "0x58.l": "0x00000000")"));
        EXPECT_EQ(kit.dwDetect(), 0u);
        EXPECT_TRUE(Controllers().empty());
    }
    {  // a base register that reads all ones (a read that failed) is no base
        CTableKit kit(strFunction(0x1F, "8086:27da", R"("0x20.l": "0xffffffff")"));
        EXPECT_EQ(kit.dwDetect(), 0u);
        EXPECT_TRUE(Controllers().empty());
    }
    {  // SiS 0x0965 adds 0xD0 to its base; the 5000X branch gets its two SPD controllers
        CTableKit kit(strFunction(1, "1039:0965", R"("0x74.l": "0x00000c01")") + "," +
                      strFunction(0x15, "8086:25f5", ""));
        EXPECT_EQ(kit.dwDetect(), 1u);
        ORVEXSDK::Instance()->m_pSMBusInterface->DetectFBDControllers();
        const auto controllers = Controllers();
        ASSERT_EQ(controllers.size(), 3u);
        EXPECT_NE(dynamic_cast<SiS_SMBusIOSpace*>(controllers[0]), nullptr);
        EXPECT_EQ(controllers[0]->m_dwBase, 0xCD0u);
        EXPECT_NE(dynamic_cast<Intel_5000X_SMBusIOSpace*>(controllers[1]), nullptr);
        EXPECT_NE(dynamic_cast<Intel_5000X_SMBusIOSpace*>(controllers[2]), nullptr);
    }
}

TEST(SMBusDiscoveryTable, EachControllerCarriesTheNameAndFunctionsOfItsDevice)
{
    {
        CTableKit kit(strFunction(1, "10de:0368", R"("0x20.l": "0x00000601", "0x24.l": "0x00000701")"));
        EXPECT_EQ(kit.dwDetect(), 1u);
        const auto controllers = Controllers();
        ASSERT_EQ(controllers.size(), 2u);
        for (const CSMBusIOSpace* p : controllers) {
            EXPECT_EQ(p->m_strName, "nVidia nForce MCP55 SMBus");
            EXPECT_EQ(p->m_dwFunctions, uint32_t(SMBUS_FUNC_BYTE_DATA));
        }
    }
    {
        CTableKit kit(strFunction(1, "1022:7443", R"("0x40.l": "0x00008000", "0x58.l": "0x00000e01")") + "," +
                      strFunction(0x15, "8086:25f6", ""));
        EXPECT_EQ(kit.dwDetect(), 1u);
        ORVEXSDK::Instance()->m_pSMBusInterface->DetectFBDControllers();
        const auto controllers = Controllers();
        ASSERT_EQ(controllers.size(), 3u);
        EXPECT_EQ(controllers[0]->m_strName, "AMD-768 SMBus");
        EXPECT_EQ(controllers[0]->m_dwFunctions, uint32_t(SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_READ_WORD_DATA));
        EXPECT_EQ(controllers[1]->m_strName, "Intel 5000 FB-DIMM branch 1 SPD channel 0");
        EXPECT_EQ(controllers[2]->m_strName, "Intel 5000 FB-DIMM branch 1 SPD channel 1");
        EXPECT_EQ(controllers[2]->m_dwFunctions, uint32_t(SMBUS_FUNC_BYTE_DATA));
    }
}

TEST(SMBusDiscoveryTable, EveryDeviceIsInOneRowWithANameAndTheFunctionsOfItsClass)
{
    std::set<uint32_t> seen;
    for (const smbus::ControllerRow& row : smbus::ControllerRows()) {
        for (const smbus::ControllerDevice& device : row.Devices) {
            const uint32_t dwID = uint32_t(row.wVendorID) << 16 | device.wDeviceID;
            EXPECT_TRUE(seen.insert(dwID).second) << std::hex << dwID << " is in two rows: the second is never used";
            EXPECT_TRUE(device.pszName && *device.pszName) << std::hex << dwID;
        }
        if (!row.pfnCreate) continue;
        std::unique_ptr<CSMBusIOSpace> p(row.pfnCreate(0x1000));
        EXPECT_EQ(row.dwFunctions, p->m_dwFunctions) << row.Devices.begin()->pszName;
    }
}

// The sim device, told that the kernel drives every SMBus controller.
class CKernelOwnedDevice : public sim::CSimAccessDevice {
public:
    using sim::CSimAccessDevice::CSimAccessDevice;
    bool bMayDriveSMBus(unsigned, unsigned, unsigned, std::string& strReason) override
    {
        strReason = "the kernel driver i801_smbus drives it (modprobe -r i2c_i801)";
        return false;
    }
};

TEST(SMBusDiscoveryKernel, ARefusedControllerIsNeitherCreatedNorSwitchedOn)
{
    std::string strError;
    json board = chipsettest::BoardJson("demo");
    PciEntry(board, "00:1f.3")["regs"]["0x40.b"] = "0x04";
    auto pBoard = sim::CSimBoard::FromJson(board.dump(), strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    sim::CSimBoard* pSim = pBoard.get();
    CKitOnDevice kit(std::make_unique<CKernelOwnedDevice>(std::move(pBoard)));
    ASSERT_TRUE(kit.bOk());
    ASSERT_TRUE(app::CreatePCIInterface(&kit.Kit()));
    kit.Kit().m_pPCIInterface->Scan();
    ASSERT_TRUE(app::CreateSMBusInterface(&kit.Kit()));
    EXPECT_TRUE(Controllers().empty());
    EXPECT_NE(kit.Kit().m_pSMBusInterface->m_strRefusal.find("modprobe -r i2c_i801"), std::string::npos);
    EXPECT_EQ(pSim->dwPeekConfig(0, 0x1F, 3, 0x40) & 0xFF, 0x04u);  // the host configuration is untouched
}

TEST(SMBusDiscoveryKernel, LinuxDeviceRefusesABoundFunctionUnlessForced)
{
    char szRoot[] = "/tmp/pendulon-sysfs-XXXXXX";
    ASSERT_NE(mkdtemp(szRoot), nullptr);
    const std::filesystem::path root(szRoot);
    std::filesystem::create_directories(root / "drivers/i801_smbus");
    std::filesystem::create_directories(root / "drivers/custom_smbus");
    std::filesystem::create_directories(root / "module/i2c_custom");
    std::filesystem::create_directory_symlink(root / "module/i2c_custom", root / "drivers/custom_smbus/module");
    for (const char* pszFunction : {"0000:00:1f.3", "0000:00:1f.0", "0000:00:0a.1"})
        std::filesystem::create_directories(root / "devices" / pszFunction);
    std::filesystem::create_directory_symlink("../../drivers/i801_smbus", root / "devices/0000:00:1f.3/driver");
    std::filesystem::create_directory_symlink("../../drivers/custom_smbus", root / "devices/0000:00:0a.1/driver");

    kit::CLinuxAccessDevice device((root / "devices").string());
    std::string strReason;
    EXPECT_FALSE(device.bMayDriveSMBus(0, 0x1F, 3, strReason));
    EXPECT_NE(strReason.find("i801_smbus"), std::string::npos) << strReason;
    EXPECT_NE(strReason.find("modprobe -r i2c_i801"), std::string::npos) << strReason;
    EXPECT_NE(strReason.find("--force"), std::string::npos) << strReason;

    strReason.clear();
    EXPECT_FALSE(device.bMayDriveSMBus(0, 0x0A, 1, strReason));  // not in the table: the driver's module link
    EXPECT_NE(strReason.find("modprobe -r i2c_custom"), std::string::npos) << strReason;

    EXPECT_TRUE(device.bMayDriveSMBus(0, 0x1F, 0, strReason));  // no driver bound
    EXPECT_TRUE(device.bMayDriveSMBus(0, 0x1E, 0, strReason));  // no such function
    device.vSetForce(true);
    EXPECT_TRUE(device.bMayDriveSMBus(0, 0x1F, 3, strReason));
    std::filesystem::remove_all(root);
}

// The ICH7 board with the multiplexer: one device at 0x69 on channel 1 only, one SPD on
// channel 0, and the select line on GPIO 32 (port 0x4B8 bit 0).
class CMuxKit {
public:
    explicit CMuxKit(const std::function<void(json&)>& fnChange = {})
        : m_Kit("i975x-ich7", [&fnChange](json& board) {
              board["smbus"] = json::parse(R"([{"controller": "intel-ich4", "base": "0x0400", "function": "00:1f.3",
                  "channels": 2, "multiplexer": {"port": "0x04b8", "bit": 0},
                  "devices": [{"address": "0x50", "type": "spd", "ddr2": {"size_mib": 1024, "mts": 667}},
                              {"address": "0x69", "channel": 1, "type": "registers", "hex": "0123456789"}]}])");
              if (fnChange) fnChange(board);
          })
    {
        EXPECT_NE(m_Kit.pProbe(), nullptr);
        EXPECT_TRUE(app::CreateSMBusInterface(&m_Kit.Kit()));
        m_pSMBus = m_Kit.Kit().m_pSMBusInterface;
    }
    CSMBusInterface& SMBus() { return *m_pSMBus; }
    sim::CSimBoard& Board() { return m_Kit.Board(); }
    uint8_t bGPIOLevel()
    {
        uint8_t b = 0;
        EXPECT_TRUE(m_Kit.Kit().m_pDriver->bReadPortByte(0x4B8, b));
        return b;
    }

private:
    CChipsetKit m_Kit;
    CSMBusInterface* m_pSMBus = nullptr;
};

TEST(SMBusDiscoveryMux, TheMultiplexedBoardProbesChannelZeroThenOne)
{
    CMuxKit kit;
    CSMBusInterface& smbus = kit.SMBus();
    ASSERT_EQ(smbus.DetectMultiplexer(), 1u);
    EXPECT_EQ(smbus.m_dwBoardId, 0x10438179u);
    EXPECT_EQ(smbus.m_nChannelCount, 2u);
    EXPECT_EQ(smbus.m_nDefaultChannel, 0u);
    ASSERT_NE(smbus.m_pGPIOSpace, nullptr);
    EXPECT_EQ(smbus.m_pGPIOSpace->m_dwBase, 0x480u);

    sim::CSMBusBus* pBus = kit.Board().pSMBus(0);
    ASSERT_NE(pBus, nullptr);
    pBus->vClearTransfers();
    CSMBusDevice* pDevice = smbus.FindSMBusDevice(0x69);
    ASSERT_NE(pDevice, nullptr);
    EXPECT_EQ(pDevice->m_nChannel, 1u);
    EXPECT_EQ(pDevice->m_nAddress, 0x69u);
    const auto transfers = pBus->Transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].nChannel, 0u);
    EXPECT_EQ(transfers[0].eStatus, sim::SMBusStatus::NoAnswer);
    EXPECT_EQ(transfers[1].nChannel, 1u);
    EXPECT_EQ(transfers[1].eStatus, sim::SMBusStatus::Ok);
    EXPECT_EQ(kit.bGPIOLevel() & 1, 0u);  // back on the default channel

    // The SPD on channel 0 answers on the first probe.
    pBus->vClearTransfers();
    CSMBusDevice* pSPD = smbus.FindSMBusDevice(0x50);
    ASSERT_NE(pSPD, nullptr);
    EXPECT_EQ(pSPD->m_nChannel, 0u);
    EXPECT_EQ(pBus->Transfers().size(), 1u);
}

TEST(SMBusDiscoveryMux, SetChannelClampsToTheChannelsTheBoardHas)
{
    CMuxKit kit;
    CSMBusInterface& smbus = kit.SMBus();
    smbus.DetectMultiplexer();
    EXPECT_EQ(smbus.SetChannel(4), 1u);  // clamped to channel 1, not 4 AND 1 = 0
    EXPECT_EQ(kit.bGPIOLevel() & 1, 1u);
    EXPECT_EQ(smbus.ReadChannelState(), 1u);
    EXPECT_EQ(smbus.SetDefaultChannel(), 1u);
    EXPECT_EQ(kit.bGPIOLevel() & 1, 0u);

    smbus.m_nChannelCount = 1;  // a board with one channel: SetChannel(5) selects channel 0
    smbus.SetChannel(1);
    EXPECT_EQ(kit.bGPIOLevel() & 1, 0u);
    smbus.SetChannel(5);
    EXPECT_EQ(kit.bGPIOLevel() & 1, 0u);
}

TEST(SMBusDiscoveryMux, WithoutItsSubsystemIdOrGPIOBlockTheBoardHasOneChannel)
{
    {
        CMuxKit kit([](json& board) { PciEntry(board, "00:1f.0")["subsystem"] = "1043:8178"; });
        kit.SMBus().DetectMultiplexer();
        EXPECT_EQ(kit.SMBus().m_nChannelCount, 1u);
        EXPECT_EQ(kit.SMBus().FindSMBusDevice(0x69), nullptr);  // channel 1 is never reached
    }
    CMuxKit kit([](json& board) { PciEntry(board, "00:1f.0")["regs"]["0x4c.b"] = "0x00"; });
    kit.SMBus().DetectMultiplexer();
    EXPECT_EQ(kit.SMBus().m_pGPIOSpace, nullptr);
    EXPECT_EQ(kit.SMBus().m_nChannelCount, 2u);
    EXPECT_EQ(kit.SMBus().ReadChannelState(), 0u);
    kit.SMBus().SetChannel(1);  // no GPIO block: no switching, and nothing breaks
    EXPECT_EQ(kit.SMBus().ReadChannelState(), 0u);
}

TEST(SMBusDiscoveryDevices, DevicesAreRegisteredOnceAndEmptyAddressesNever)
{
    CChipsetKit kit("demo");
    ASSERT_TRUE(app::CreateSMBusInterface(&kit.Kit()));
    CSMBusInterface& smbus = *kit.Kit().m_pSMBusInterface;
    smbus.DetectMultiplexer();
    const unsigned nBefore = nSMBusDevices();

    EXPECT_EQ(smbus.ProbeDevice(0, 0x51), nullptr);  // nothing at 0x51 on demo
    EXPECT_EQ(smbus.FindSMBusDevice(0x51), nullptr);
    EXPECT_EQ(nSMBusDevices(), nBefore);

    EXPECT_EQ(smbus.FindKnownDevice(0, 0x50), nullptr);
    CSMBusDevice* pFirst = smbus.FindSMBusDevice(0x50);
    ASSERT_NE(pFirst, nullptr);
    EXPECT_EQ(pFirst->m_pIOSpace, Controllers().at(0));
    EXPECT_EQ(smbus.FindSMBusDevice(0x50), pFirst);
    EXPECT_EQ(smbus.FindKnownDevice(0, 0x50), pFirst);
    EXPECT_EQ(smbus.FindKnownDevice(1, 0x50), nullptr);
    EXPECT_EQ(nSMBusDevices(), nBefore + 1);

    smbus.Scan();  // the other SPD EEPROM joins; 0x50 is not registered again
    EXPECT_NE(smbus.FindKnownDevice(0, 0x52), nullptr);
    EXPECT_EQ(smbus.FindKnownDevice(0, 0x50), pFirst);
}

TEST(SMBusDiscoveryLock, AnAbandonedInterfaceLockFailsAndIsGivenBack)
{
    ORVEXSDK::Destroy();
    CICInterface ic;
    ic.m_hMutex = platform::CreateMutexA(false, "pendulon-test-ic-lock");
    std::thread([&ic] { EXPECT_TRUE(ic.Lock(0)); }).join();  // the owner ends holding it
    EXPECT_FALSE(ic.Lock(1000));
    bool bOther = false;
    std::thread([&ic, &bOther] {
        bOther = ic.Lock(0);
        if (bOther) ic.Unlock();
    }).join();
    EXPECT_TRUE(bOther);  // the abandoned wait did not keep the lock
    ic.Close();
    EXPECT_EQ(ic.m_hMutex, nullptr);
    ORVEXSDK::Destroy();
}
