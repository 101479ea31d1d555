// SPDX-License-Identifier: GPL-2.0-or-later
// The "smbus" section of a board file (documented in boards/README.md) and the buses,
// devices and host controllers built from it.
#include "sim/SMBusBoard.h"

#include <cstring>

#include "sim/BoardConfig.h"
#include "sim/ClockChip.h"
#include "sim/BusHandlers.h"
#include "sim/SMBusBus.h"

namespace sim {

namespace {

constexpr size_t MAX_CONTROLLERS = 16;
constexpr size_t MAX_DEVICES = 128 * CSMBusBus::MAX_CHANNELS;
constexpr uint64_t MAX_SPD_PART = 18;

struct FaultName {
    const char* pszName;
    SMBusFault eFault;
};

constexpr FaultName FAULT_NAMES[] = {
    {"none", SMBusFault::None},
    {"no_answer", SMBusFault::NoAnswer},
    {"hold_clock", SMBusFault::HoldClock},
    {"collision", SMBusFault::Collision},
    {"bus_error", SMBusFault::BusError},
};

class CSMBusSectionParser {
public:
    explicit CSMBusSectionParser(CFieldReader& reader) : m_Reader(reader) {}
    bool bController(const json& entry, const std::string& strField, SMBusControllerConfig& controller);

private:
    bool bFunction(const json& value, const std::string& strField, SMBusControllerConfig& controller);
    bool bMultiplexer(const json& value, const std::string& strField, SMBusControllerConfig& controller);
    bool bOptions(const json& value, const std::string& strField, SMBusControllerConfig& controller);
    bool bDevice(const json& entry, const std::string& strField, const SMBusControllerConfig& controller,
                 SMBusDeviceConfig& device);
    bool bDDR2(const json& value, const std::string& strField, SMBusDeviceConfig& device);
    bool bFault(const json& value, const std::string& strField, SMBusDeviceConfig& device);
    bool bClockModel(const json& entry, const std::string& strField, SMBusDeviceConfig& device);

    CFieldReader& m_Reader;
};

bool CSMBusSectionParser::bController(const json& entry, const std::string& strField,
                                      SMBusControllerConfig& controller)
{
    if (!m_Reader.bObject(entry, strField) ||
        !m_Reader.bKnownKeys(entry, strField,
                             {"controller", "base", "function", "bar", "channels", "multiplexer", "options", "devices"}))
        return false;
    const std::string strType = CFieldReader::strMember(strField, "controller");
    if (!entry.contains("controller"))
        return m_Reader.bFail(strType, "is missing (the host controller family)");
    if (!m_Reader.bString(entry["controller"], strType, 32, controller.strType))
        return false;
    bool bKnown = false;
    std::string strKinds;
    for (const SMBusHostKind& kind : SMBusHostKinds()) {
        bKnown = bKnown || controller.strType == kind.pszType;
        strKinds += std::string(strKinds.empty() ? "" : ", ") + kind.pszType;
    }
    if (!bKnown)
        return m_Reader.bFail(strType, "unknown controller " + strQuote(controller.strType) + " (known: " + strKinds + ")");
    uint64_t qwValue = 0;
    if (!entry.contains("base"))
        return m_Reader.bFail(CFieldReader::strMember(strField, "base"), "is missing (the first I/O port)");
    if (!m_Reader.bNumber(entry["base"], CFieldReader::strMember(strField, "base"), 0xFFFF, qwValue))
        return false;
    controller.wBase = uint16_t(qwValue);
    if (entry.contains("function") && !bFunction(entry["function"], CFieldReader::strMember(strField, "function"), controller))
        return false;
    if (entry.contains("bar")) {
        if (!m_Reader.bNumber(entry["bar"], CFieldReader::strMember(strField, "bar"), 0xFC, qwValue))
            return false;
        controller.nBarOffset = uint8_t(qwValue);
    }
    if (entry.contains("channels")) {
        if (!m_Reader.bNumber(entry["channels"], CFieldReader::strMember(strField, "channels"), CSMBusBus::MAX_CHANNELS,
                              qwValue))
            return false;
        if (qwValue == 0)
            return m_Reader.bFail(CFieldReader::strMember(strField, "channels"), "must be at least 1");
        controller.nChannels = unsigned(qwValue);
    }
    if (entry.contains("multiplexer") &&
        !bMultiplexer(entry["multiplexer"], CFieldReader::strMember(strField, "multiplexer"), controller))
        return false;
    if (entry.contains("options") && !bOptions(entry["options"], CFieldReader::strMember(strField, "options"), controller))
        return false;
    if (entry.contains("devices")) {
        const std::string strDevices = CFieldReader::strMember(strField, "devices");
        const json& devices = entry["devices"];
        if (!m_Reader.bArray(devices, strDevices, MAX_DEVICES))
            return false;
        for (size_t i = 0; i < devices.size(); ++i) {
            SMBusDeviceConfig device;
            if (!bDevice(devices[i], CFieldReader::strElement(strDevices, i), controller, device))
                return false;
            controller.Devices.push_back(device);
        }
    }
    return true;
}

// "BB:DD.F" in hexadecimal.
bool CSMBusSectionParser::bFunction(const json& value, const std::string& strField, SMBusControllerConfig& controller)
{
    std::string strAt;
    if (!m_Reader.bString(value, strField, 16, strAt))
        return false;
    uint64_t qwBus = 0, qwDevice = 0, qwFunction = 0;
    if (strAt.size() != 7 || strAt[2] != ':' || strAt[5] != '.' || !bParseHexDigits(strAt.substr(0, 2), 2, qwBus) ||
        !bParseHexDigits(strAt.substr(3, 2), 2, qwDevice) || !bParseHexDigits(strAt.substr(6, 1), 1, qwFunction) ||
        qwDevice > 31 || qwFunction > 7)
        return m_Reader.bFail(strField, "is not a PCI function as BB:DD.F: " + strQuote(strAt));
    controller.bHasFunction = true;
    controller.nBus = uint8_t(qwBus);
    controller.nDevice = uint8_t(qwDevice);
    controller.nFunction = uint8_t(qwFunction);
    return true;
}

bool CSMBusSectionParser::bMultiplexer(const json& value, const std::string& strField,
                                       SMBusControllerConfig& controller)
{
    if (!m_Reader.bObject(value, strField) || !m_Reader.bKnownKeys(value, strField, {"port", "bit"}))
        return false;
    uint64_t qwPort = 0, qwBit = 0;
    if (!value.contains("port"))
        return m_Reader.bFail(CFieldReader::strMember(strField, "port"), "is missing (the port of the select line)");
    if (!m_Reader.bNumber(value["port"], CFieldReader::strMember(strField, "port"), 0xFFFF, qwPort))
        return false;
    if (qwPort == 0)
        return m_Reader.bFail(CFieldReader::strMember(strField, "port"), "must not be 0");
    if (value.contains("bit") && !m_Reader.bNumber(value["bit"], CFieldReader::strMember(strField, "bit"), 7, qwBit))
        return false;
    controller.wMuxPort = uint16_t(qwPort);
    controller.nMuxBit = uint8_t(qwBit);
    return true;
}

bool CSMBusSectionParser::bOptions(const json& value, const std::string& strField, SMBusControllerConfig& controller)
{
    if (!m_Reader.bObject(value, strField))
        return false;
    if (value.size() > 16)
        return m_Reader.bFail(strField, "has more than 16 options");
    for (auto it = value.begin(); it != value.end(); ++it) {
        uint64_t qwValue = 0;
        std::string strKey = it.key();
        if (strKey.empty() || strKey.size() > 32)
            return m_Reader.bFail(strField, "has an option name that is empty or longer than 32");
        if (!m_Reader.bNumber(it.value(), CFieldReader::strMember(strField, strKey), 0xFFFFFFFF, qwValue))
            return false;
        controller.Options[strKey] = qwValue;
    }
    return true;
}

bool CSMBusSectionParser::bDevice(const json& entry, const std::string& strField,
                                  const SMBusControllerConfig& controller, SMBusDeviceConfig& device)
{
    if (!m_Reader.bObject(entry, strField) ||
        !m_Reader.bKnownKeys(entry, strField, {"address", "channel", "type", "ddr2", "hex", "writable", "block_count",
                                               "fault", "model"}))
        return false;
    uint64_t qwValue = 0;
    const std::string strAddress = CFieldReader::strMember(strField, "address");
    if (!entry.contains("address"))
        return m_Reader.bFail(strAddress, "is missing");
    if (!m_Reader.bNumber(entry["address"], strAddress, 0x7F, qwValue))
        return false;
    device.nAddress = uint8_t(qwValue);
    if (entry.contains("channel")) {
        if (!m_Reader.bNumber(entry["channel"], CFieldReader::strMember(strField, "channel"), 0xFF, qwValue))
            return false;
        if (qwValue >= controller.nChannels)
            return m_Reader.bFail(CFieldReader::strMember(strField, "channel"),
                                  "the bus has " + std::to_string(controller.nChannels) + " channel(s)");
        device.nChannel = unsigned(qwValue);
    }
    std::string strType;
    const std::string strTypeField = CFieldReader::strMember(strField, "type");
    if (!entry.contains("type"))
        return m_Reader.bFail(strTypeField, "is missing (spd, registers or clock)");
    if (!m_Reader.bString(entry["type"], strTypeField, 16, strType))
        return false;
    if (strType == "spd")
        device.eKind = SMBusDeviceConfig::Kind::SPD;
    else if (strType == "registers")
        device.eKind = SMBusDeviceConfig::Kind::Registers;
    else if (strType == "clock")
        device.eKind = SMBusDeviceConfig::Kind::Clock;
    else
        return m_Reader.bFail(strTypeField, "must be spd, registers or clock, not " + strQuote(strType));
    if (!bClockModel(entry, strField, device))
        return false;

    bool bSPD = device.eKind == SMBusDeviceConfig::Kind::SPD;
    if (entry.contains("ddr2") && entry.contains("hex"))
        return m_Reader.bFail(strField, "gives both ddr2 and hex");
    if (entry.contains("ddr2")) {
        if (!bSPD)
            return m_Reader.bFail(CFieldReader::strMember(strField, "ddr2"), "is for spd devices only");
        if (!bDDR2(entry["ddr2"], CFieldReader::strMember(strField, "ddr2"), device))
            return false;
    } else if (entry.contains("hex")) {
        std::vector<uint8_t> bytes;
        if (!m_Reader.bHexBytes(entry["hex"], CFieldReader::strMember(strField, "hex"), 256, bytes))
            return false;
        device.Bytes.fill(bSPD ? 0xFF : 0x00);
        std::copy(bytes.begin(), bytes.end(), device.Bytes.begin());
    } else if (bSPD) {
        return m_Reader.bFail(strField, "an spd device needs ddr2 or hex contents");
    }
    if (entry.contains("writable")) {
        if (!bSPD)
            return m_Reader.bFail(CFieldReader::strMember(strField, "writable"), "is for spd devices only");
        if (!m_Reader.bBool(entry["writable"], CFieldReader::strMember(strField, "writable"), device.bWritable))
            return false;
    }
    if (entry.contains("block_count")) {
        if (device.eKind != SMBusDeviceConfig::Kind::Registers)
            return m_Reader.bFail(CFieldReader::strMember(strField, "block_count"), "is for registers devices only");
        if (!m_Reader.bNumber(entry["block_count"], CFieldReader::strMember(strField, "block_count"), 0xFF, qwValue))
            return false;
        device.nBlockCount = uint8_t(qwValue);
    }
    if (entry.contains("fault") && !bFault(entry["fault"], CFieldReader::strMember(strField, "fault"), device))
        return false;
    return true;
}

bool CSMBusSectionParser::bDDR2(const json& value, const std::string& strField, SMBusDeviceConfig& device)
{
    if (!m_Reader.bObject(value, strField) ||
        !m_Reader.bKnownKeys(value, strField, {"size_mib", "mts", "ranks", "part"}))
        return false;
    uint64_t qwMiB = 0, qwMTs = 0, qwRanks = 1;
    std::string strPart;
    if (!value.contains("size_mib") || !value.contains("mts"))
        return m_Reader.bFail(strField, "needs size_mib and mts");
    if (!m_Reader.bNumber(value["size_mib"], CFieldReader::strMember(strField, "size_mib"), 65536, qwMiB) ||
        !m_Reader.bNumber(value["mts"], CFieldReader::strMember(strField, "mts"), 10000, qwMTs))
        return false;
    if (value.contains("ranks") &&
        !m_Reader.bNumber(value["ranks"], CFieldReader::strMember(strField, "ranks"), 8, qwRanks))
        return false;
    if (value.contains("part") &&
        !m_Reader.bString(value["part"], CFieldReader::strMember(strField, "part"), MAX_SPD_PART, strPart))
        return false;
    if (!bMakeDDR2SPD(unsigned(qwMiB), unsigned(qwMTs), unsigned(qwRanks), strPart, device.Bytes))
        return m_Reader.bFail(strField, "no DDR2 module of that size, rate and ranks (256 to 4096 MiB, 400/533/667/800, "
                                        "1 or 2 ranks of 256 MiB to 2 GiB)");
    return true;
}

bool CSMBusSectionParser::bFault(const json& value, const std::string& strField, SMBusDeviceConfig& device)
{
    std::string strFault;
    if (!m_Reader.bString(value, strField, 16, strFault))
        return false;
    for (const FaultName& name : FAULT_NAMES) {
        if (strFault == name.pszName) {
            device.eFault = name.eFault;
            return true;
        }
    }
    return m_Reader.bFail(strField, "must be none, no_answer, hold_clock, collision or bus_error, not " + strQuote(strFault));
}

// A clock chip names its model (sim/ClockChip.h); other devices have none.
bool CSMBusSectionParser::bClockModel(const json& entry, const std::string& strField, SMBusDeviceConfig& device)
{
    const std::string strModelField = CFieldReader::strMember(strField, "model");
    if (device.eKind != SMBusDeviceConfig::Kind::Clock)
        return !entry.contains("model") || m_Reader.bFail(strModelField, "is for clock devices only");
    if (!entry.contains("model"))
        return m_Reader.bFail(strModelField, "is missing (known: " + strClockChipModelList() + ")");
    if (!m_Reader.bString(entry["model"], strModelField, 32, device.strModel))
        return false;
    for (const ClockChipModel& model : ClockChipModels())
        if (device.strModel == model.pszModel)
            return true;
    return m_Reader.bFail(strModelField,
                          "unknown model " + strQuote(device.strModel) + " (known: " + strClockChipModelList() + ")");
}

std::unique_ptr<CSMBusTarget> MakeTarget(const SMBusDeviceConfig& device)
{
    std::unique_ptr<CSMBusTarget> pTarget;
    if (device.eKind == SMBusDeviceConfig::Kind::Clock)
        pTarget = pCreateClockChip(device.strModel, device.Bytes);
    else if (device.eKind == SMBusDeviceConfig::Kind::SPD)
        pTarget = std::make_unique<CSPDEeprom>(device.Bytes, device.bWritable);
    else
        pTarget = std::make_unique<CRegisterFile>(std::vector<uint8_t>(device.Bytes.begin(), device.Bytes.end()),
                                                  device.nBlockCount);
    pTarget->m_eFault = device.eFault;
    return pTarget;
}

}  // namespace

bool bParseSMBusSection(const json& smbus, CFieldReader& reader, BoardConfig& config)
{
    if (!reader.bArray(smbus, "smbus", MAX_CONTROLLERS))
        return false;
    CSMBusSectionParser parser(reader);
    for (size_t i = 0; i < smbus.size(); ++i) {
        SMBusControllerConfig controller;
        if (!parser.bController(smbus[i], CFieldReader::strElement("smbus", i), controller))
            return false;
        config.SMBus.push_back(std::move(controller));
    }
    return true;
}

bool bBuildSMBus(const std::vector<SMBusControllerConfig>& controllers, CPortMap& ports, CPCIFunctions& pci,
                 std::vector<std::shared_ptr<CSMBusBus>>& buses, std::string& strError)
{
    for (size_t i = 0; i < controllers.size(); ++i) {
        const SMBusControllerConfig& controller = controllers[i];
        const std::string strWhere = CFieldReader::strElement("smbus", i) + ": ";
        auto pBus = std::make_shared<CSMBusBus>(controller.nChannels);
        for (const SMBusDeviceConfig& device : controller.Devices) {
            std::string strWhy;
            if (!pBus->bAttach(device.nChannel, device.nAddress, MakeTarget(device), strWhy)) {
                strError = strWhere + strWhy;
                return false;
            }
        }
        if (controller.wMuxPort) {
            // The select line is a level: whatever drives the port decides the channel.
            uint16_t wPort = controller.wMuxPort;
            uint8_t nBit = controller.nMuxBit;
            pBus->vSetChannelSource([&ports, wPort, nBit]() {
                return unsigned((ports.dwIn(wPort, 1, AccessContext{0, 0}) >> nBit) & 1);
            });
        }
        PFN_BUILD_SMBUS_HOST pfnBuild = nullptr;
        for (const SMBusHostKind& kind : SMBusHostKinds())
            if (controller.strType == kind.pszType)
                pfnBuild = kind.pfnBuild;
        SMBusHostContext context{controller, pBus, ports, pci};
        std::string strWhy = "unknown controller";
        if (!pfnBuild || !pfnBuild(context, strWhy)) {
            strError = strWhere + strWhy;
            return false;
        }
        buses.push_back(std::move(pBus));
    }
    return true;
}

}  // namespace sim
