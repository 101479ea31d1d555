// SPDX-License-Identifier: GPL-2.0-or-later
// Which south bridge gets which SMBus controller class, what its controller is called and can
// do, how its host interface is switched on and where its register block lies: one table row
// per family. The configuration registers and bits the steps use are named as the chipsets'
// documentation and the kernel's drivers name them.
#include "smbus/SMBusControllers.h"

#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"

namespace smbus {

namespace {

// The PCI header's command register.
constexpr uint8_t PCI_COMMAND = 0x04;
constexpr uint32_t PCI_COMMAND_IO = 1u << 0;  // I/O space decoding

// A base register in configuration space whose bit 0 says that it holds an I/O base.
constexpr uint32_t SMBBA_IO = 1u << 0;

constexpr uint32_t IO_BASE_MASK = 0xFFF0;      // a 16-port aligned block
constexpr uint32_t IO_BASE_MASK_32 = 0xFFE0;   // a 32-port aligned block
constexpr uint32_t IO_BASE_MASK_WORD = 0xFFFC; // the nForce base registers: bits 0..1 are flags

// Intel ICH: the SMBus base address (BAR 4) and the host configuration register.
constexpr uint8_t ICH_SMBASE = 0x20;
constexpr uint8_t ICH_HOSTC = 0x40;
constexpr uint32_t HOSTC_HST_EN = 1u << 0;      // host interface enabled
constexpr uint32_t HOSTC_SMB_SMI_EN = 1u << 1;  // SMBus interrupts to SMI
constexpr uint32_t HOSTC_I2C_EN = 1u << 2;      // I2C mode instead of SMBus

// Intel PIIX4 and the VIA south bridges: the base register and the host configuration byte
// beside it (SMBHSTCFG).
constexpr uint8_t PIIX4_SMBBA = 0x90;
constexpr uint8_t SMBHSTCFG = 0xD2;
constexpr uint32_t SMBHSTCFG_HST_EN = 1u << 0;

// VIA: the three places a VT82xx keeps its base (SMBBA1, SMBBA2 of the VT82C596 with its own
// host configuration byte, SMBBA3 of the VT8233 and later).
constexpr uint8_t VIA_SMBBA1 = 0x90;
constexpr uint8_t VIA_SMBBA2 = 0x80;
constexpr uint8_t VIA_SMBHSTCFG2 = 0x84;
constexpr uint8_t VIA_SMBBA3 = 0xD0;

// ATI SB: the base register.
constexpr uint8_t ATI_SMBBA = 0x90;

// AMD-756/766/768: the power management I/O base, the SMBus block 0xE0 above it, and the
// general configuration byte with its power management I/O enable.
constexpr uint8_t AMD_PMBASE = 0x58;
constexpr uint32_t AMD_SMBUS_OFFSET = 0xE0;
constexpr uint8_t AMD_GENCFG = 0x41;
constexpr uint32_t AMD_GENCFG_PMIO_EN = 1u << 7;

// SiS: the SMBus function's own base register (SiS 96x), or the ACPI base of the LPC bridge
// (SiS 964 to 966) with the SMBus block at an offset above it.
constexpr uint8_t SIS_SMBBA = 0x20;
constexpr uint8_t SIS_ACPI_BASE = 0x74;
constexpr uint32_t SIS_964_SMBUS_OFFSET = 0xE0;
constexpr uint32_t SIS_965_SMBUS_OFFSET = 0xD0;

// ALi (ULi) M1563: the base register, whose low bits switch the block on.
constexpr uint8_t M1563_SMBBA = 0x80;
constexpr uint32_t M1563_SMBBA_IO_EN = 1u << 0;
constexpr uint32_t M1563_SMBBA_HOST_EN = 1u << 1;
constexpr uint32_t M1563_SMBBA_EN2 = 1u << 2;  // set together with the other two

// ALi M7101: the SMBus configuration byte with its I/O enable, the base (a word) and the host
// configuration register.
constexpr uint8_t M7101_SMBCFG = 0xD1;
constexpr uint32_t M7101_SMBCFG_SMBIO_EN = 1u << 2;
constexpr uint8_t M7101_SMBBA = 0xE2;
constexpr uint8_t M7101_SMBHSTCFG = 0xF0;
constexpr uint32_t M7101_SMBHSTCFG_HST_EN = 1u << 0;

// nVidia nForce: the two controllers' base registers, in configuration registers of their
// own (nForce2, nForce3, CK804, MCP04), in BARs 4 and 5 (MCP51 and later) or in BARs 0 and 1
// (the first nForce).
constexpr uint8_t NFORCE_SMB1 = 0x50;
constexpr uint8_t NFORCE_SMB2 = 0x54;
constexpr uint8_t NFORCE_MCP_SMB1 = 0x20;
constexpr uint8_t NFORCE_MCP_SMB2 = 0x24;
constexpr uint8_t NFORCE1_SMB1 = 0x10;
constexpr uint8_t NFORCE1_SMB2 = 0x14;

void vEnableIO(CDetection& d)
{
    if (!d.bAny(PCI_COMMAND, PCI_COMMAND_IO)) d.vSet(PCI_COMMAND, PCI_COMMAND_IO);
}

// The host enable bit of a host configuration byte: set when clear, and it must stick.
bool bEnsureHostEnable(CDetection& d, uint8_t bRegister, uint32_t dwHostEnable)
{
    if (d.bAny(bRegister, dwHostEnable)) return true;
    d.vSet(bRegister, dwHostEnable);
    return d.bAny(bRegister, dwHostEnable);
}

bool bEnableIO(CDetection& d)
{
    vEnableIO(d);
    return true;
}

bool bEnableICH1(CDetection& d)
{
    vEnableIO(d);
    if (d.bAny(ICH_HOSTC, HOSTC_HST_EN)) return true;
    d.vSet(ICH_HOSTC, HOSTC_HST_EN | HOSTC_SMB_SMI_EN);
    return d.bAny(ICH_HOSTC, HOSTC_HST_EN);
}

// SMBus mode, host on, whatever the BIOS left.
bool bEnableICH4(CDetection& d)
{
    vEnableIO(d);
    d.vSet(ICH_HOSTC, HOSTC_HST_EN, HOSTC_I2C_EN);
    return d.bAny(ICH_HOSTC, HOSTC_HST_EN);
}

bool bEnablePIIX4(CDetection& d)
{
    vEnableIO(d);
    return bEnsureHostEnable(d, SMBHSTCFG, SMBHSTCFG_HST_EN);
}

// The VT82C596 and VT82C686: SMBBA1 when it holds a base, else SMBBA2 with its own host
// configuration byte.
bool bEnableVIAOld(CDetection& d)
{
    if (d.bAny(VIA_SMBBA1, SMBBA_IO)) {
        d.bBaseRegister = VIA_SMBBA1;
        return bEnsureHostEnable(d, SMBHSTCFG, SMBHSTCFG_HST_EN);
    }
    if (!d.bAny(VIA_SMBBA2, SMBBA_IO)) return false;
    d.bBaseRegister = VIA_SMBBA2;
    return bEnsureHostEnable(d, VIA_SMBHSTCFG2, SMBHSTCFG_HST_EN);
}

bool bEnableVIANew(CDetection& d)
{
    return d.bAny(VIA_SMBBA3, SMBBA_IO) && bEnsureHostEnable(d, SMBHSTCFG, SMBHSTCFG_HST_EN);
}

bool bEnableAMD756(CDetection& d)
{
    vEnableIO(d);
    return bEnsureHostEnable(d, AMD_GENCFG, AMD_GENCFG_PMIO_EN);
}

bool bEnableALiM1563(CDetection& d)
{
    vEnableIO(d);
    if (!d.bAny(M1563_SMBBA, M1563_SMBBA_IO_EN))
        d.vSet(M1563_SMBBA, M1563_SMBBA_IO_EN | M1563_SMBBA_HOST_EN | M1563_SMBBA_EN2);
    return true;
}

bool bEnableALiM7101(CDetection& d)
{
    if (!d.bAny(M7101_SMBCFG, M7101_SMBCFG_SMBIO_EN)) d.vSet(M7101_SMBCFG, M7101_SMBCFG_SMBIO_EN);
    if (!d.bAny(M7101_SMBHSTCFG, M7101_SMBHSTCFG_HST_EN)) d.vSet(M7101_SMBHSTCFG, M7101_SMBHSTCFG_HST_EN);
    return true;
}

template <typename T>
CSMBusIOSpace* pCreate(uint16_t wBase)
{
    return new T(wBase);
}

constexpr uint16_t VENDOR_INTEL = 0x8086;
constexpr uint16_t VENDOR_VIA = 0x1106;
constexpr uint16_t VENDOR_ATI = 0x1002;
constexpr uint16_t VENDOR_AMD = 0x1022;
constexpr uint16_t VENDOR_SIS = 0x1039;
constexpr uint16_t VENDOR_ALI = 0x10B9;
constexpr uint16_t VENDOR_NVIDIA = 0x10DE;
constexpr uint16_t VENDOR_SERVERWORKS = 0x1166;

const ControllerRow s_Rows[] = {
    {
        .wVendorID = VENDOR_INTEL,
        .Devices = {{0x2413, "Intel ICH SMBus"},
                    {0x2423, "Intel ICH0 SMBus"},
                    {0x2443, "Intel ICH2 SMBus"},
                    {0x2483, "Intel ICH3 SMBus"}},
        .pfnCreate = pCreate<Intel_ICH1_SMBusIOSpace>,
        .dwFunctions = Intel_ICH1_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableICH1,
        .bBaseRegister = ICH_SMBASE,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_INTEL,
        .Devices = {{0x24C3, "Intel ICH4 SMBus"},
                    {0x24D3, "Intel ICH5 SMBus"},
                    {0x25A4, "Intel 6300ESB SMBus"},
                    {0x266A, "Intel ICH6 SMBus"},
                    {0x269B, "Intel 631xESB/632xESB SMBus"},
                    {0x27DA, "Intel ICH7 SMBus"},
                    {0x283E, "Intel ICH8 SMBus"},
                    {0x2930, "Intel ICH9 SMBus"}},
        .pfnCreate = pCreate<Intel_ICH4_SMBusIOSpace>,
        .dwFunctions = Intel_ICH4_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableICH4,
        .bBaseRegister = ICH_SMBASE,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_INTEL,
        .Devices = {{0x7113, "Intel PIIX4 SMBus"}},
        .pfnCreate = pCreate<Intel_PIIX4_SMBusIOSpace>,
        .dwFunctions = Intel_PIIX4_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnablePIIX4,
        .bBaseRegister = PIIX4_SMBBA,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_VIA,
        .Devices = {{0x3050, "VIA VT82C596 SMBus"},
                    {0x3057, "VIA VT82C686 SMBus"},
                    {0x3086, "VIA VT82C686 SMBus (1106:3086)"},
                    {0x8235, "VIA VT8231 SMBus"}},
        .pfnCreate = pCreate<VIA_VT82_SMBusIOSpace>,
        .dwFunctions = VIA_VT82_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableVIAOld,
        .bBaseRegister = VIA_SMBBA1,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_VIA,
        .Devices = {{0x3074, "VIA VT8233 SMBus"},
                    {0x3147, "VIA VT8233A SMBus"},
                    {0x3177, "VIA VT8235 SMBus"},
                    {0x3227, "VIA VT8237 SMBus"},
                    {0x3287, "VIA VT8251 SMBus"},
                    {0x3337, "VIA VT8237A SMBus"}},
        .pfnCreate = pCreate<VIA_VT82_SMBusIOSpace>,
        .dwFunctions = VIA_VT82_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableVIANew,
        .bBaseRegister = VIA_SMBBA3,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_ATI,
        .Devices = {{0x4353, "ATI IXP200 SMBus"}, {0x4372, "ATI IXP400 SMBus"}, {0x4385, "ATI SB600 SMBus"}},
        .pfnCreate = pCreate<ATI_SB_SMBusIOSpace>,
        .dwFunctions = ATI_SB_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableIO,
        .bBaseRegister = ATI_SMBBA,
        .dwBaseMask = IO_BASE_MASK,
    },
    {
        .wVendorID = VENDOR_AMD,
        .Devices = {{0x7403, "AMD-756 SMBus (1022:7403)"}, {0x740B, "AMD-756 SMBus"}, {0x7443, "AMD-768 SMBus"}},
        .pfnCreate = pCreate<AMD_AM755_SMBusIOSpace>,
        .dwFunctions = AMD_AM755_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableAMD756,
        .bBaseRegister = AMD_PMBASE,
        .dwBaseMask = IO_BASE_MASK,
        .dwBaseOffset = AMD_SMBUS_OFFSET,
    },
    {
        .wVendorID = VENDOR_SIS,
        .Devices = {{0x0016, "SiS 96x SMBus"}},
        .pfnCreate = pCreate<SiS_SMBusIOSpace>,
        .dwFunctions = SiS_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableIO,
        .bBaseRegister = SIS_SMBBA,
        .dwBaseMask = IO_BASE_MASK_32,
    },
    {
        .wVendorID = VENDOR_SIS,
        .Devices = {{0x0964, "SiS 964 SMBus"}},
        .pfnCreate = pCreate<SiS_SMBusIOSpace>,
        .dwFunctions = SiS_SMBusIOSpace::FUNCTIONS,
        .bBaseRegister = SIS_ACPI_BASE,
        .dwBaseMask = IO_BASE_MASK,
        .dwBaseOffset = SIS_964_SMBUS_OFFSET,
    },
    {
        .wVendorID = VENDOR_SIS,
        .Devices = {{0x0965, "SiS 965 SMBus"}, {0x0966, "SiS 966 SMBus"}},
        .pfnCreate = pCreate<SiS_SMBusIOSpace>,
        .dwFunctions = SiS_SMBusIOSpace::FUNCTIONS,
        .bBaseRegister = SIS_ACPI_BASE,
        .dwBaseMask = IO_BASE_MASK,
        .dwBaseOffset = SIS_965_SMBUS_OFFSET,
    },
    {
        .wVendorID = VENDOR_ALI,
        .Devices = {{0x1563, "ULi M1563 SMBus"}, {0x1573, "ULi M1573 SMBus"}, {0x1575, "ULi M1575 SMBus"}},
        .pfnCreate = pCreate<ALI_M1563_SMBusIOSpace>,
        .dwFunctions = ALI_M1563_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableALiM1563,
        .bBaseRegister = M1563_SMBBA,
        .dwBaseMask = IO_BASE_MASK,
        .eZeroBase = EZeroBase::Next,
    },
    {
        .wVendorID = VENDOR_ALI,
        .Devices = {{0x7101, "ALi M7101 SMBus"}},
        .pfnCreate = pCreate<ALI_M7101_SMBusIOSpace>,
        .dwFunctions = ALI_M7101_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableALiM7101,
        .bBaseRegister = M7101_SMBBA,
        .dwBaseMask = IO_BASE_MASK_32,
        .eZeroBase = EZeroBase::Next,
    },
    {
        .wVendorID = VENDOR_NVIDIA,
        .Devices = {{0x0034, "nVidia nForce MCP04 SMBus"},
                    {0x0052, "nVidia nForce CK804 SMBus"},
                    {0x0064, "nVidia nForce2 SMBus"},
                    {0x0084, "nVidia nForce2 Ultra 400 SMBus"},
                    {0x00D4, "nVidia nForce3 SMBus"},
                    {0x00E4, "nVidia nForce3 250 SMBus"}},
        .pfnCreate = pCreate<nVidia_SMBusIOSpace>,
        .dwFunctions = nVidia_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableIO,
        .bBaseRegister = NFORCE_SMB1,
        .bSecondBaseRegister = NFORCE_SMB2,
        .dwBaseMask = IO_BASE_MASK_WORD,
        .eZeroBase = EZeroBase::Next,
    },
    {
        .wVendorID = VENDOR_NVIDIA,
        .Devices = {{0x0264, "nVidia nForce MCP51 SMBus"},
                    {0x0368, "nVidia nForce MCP55 SMBus"},
                    {0x03EB, "nVidia nForce MCP61 SMBus"}},
        .pfnCreate = pCreate<nVidia_SMBusIOSpace>,
        .dwFunctions = nVidia_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableIO,
        .bBaseRegister = NFORCE_MCP_SMB1,
        .bSecondBaseRegister = NFORCE_MCP_SMB2,
        .dwBaseMask = IO_BASE_MASK_WORD,
        .eZeroBase = EZeroBase::Next,
    },
    {
        .wVendorID = VENDOR_NVIDIA,
        .Devices = {{0x01B4, "nVidia nForce SMBus"}},
        .pfnCreate = pCreate<nVidia_SMBusIOSpace>,
        .dwFunctions = nVidia_SMBusIOSpace::FUNCTIONS,
        .pfnEnable = bEnableIO,
        .bBaseRegister = NFORCE1_SMB1,
        .bSecondBaseRegister = NFORCE1_SMB2,
        .dwBaseMask = IO_BASE_MASK_WORD,
        .eZeroBase = EZeroBase::Next,
    },
    {
        // The OSB4 and CSB5 south bridges: nothing the kit drives, and that is success.
        .wVendorID = VENDOR_SERVERWORKS,
        .Devices = {{0x0200, "ServerWorks OSB4"}, {0x0201, "ServerWorks CSB5"}},
    },
};

}  // namespace

uint32_t CDetection::dwRead(uint32_t dwOffset) const
{
    return pPCI->ReadConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwOffset);
}

void CDetection::vWrite(uint32_t dwOffset, uint32_t dwValue) const
{
    pPCI->WriteConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwOffset, dwValue);
}

bool CDetection::bAny(uint8_t bOffset, uint32_t dwBits) const { return (dwRead(bOffset) & dwBits) != 0; }

void CDetection::vSet(uint8_t bOffset, uint32_t dwSet, uint32_t dwClear) const
{
    const uint32_t dwAligned = bOffset & ~3u;
    const unsigned nShift = 8 * (bOffset & 3u);
    const uint32_t dwValue = dwRead(dwAligned);
    vWrite(dwAligned, (dwValue & ~(dwClear << nShift)) | (dwSet << nShift));
}

uint32_t CDetection::dwBase(uint8_t bOffset, uint32_t dwMask) const
{
    const uint32_t dwValue = dwRead(bOffset);
    return dwValue == (0xFFFFFFFFu >> (8 * (bOffset & 3))) ? 0 : dwValue & dwMask;
}

std::span<const ControllerRow> ControllerRows() { return s_Rows; }

std::vector<BoardController> BoardControllers(CPCIInterface& pci)
{
    std::vector<BoardController> controllers;
    for (const ControllerRow& row : s_Rows) {
        if (!row.pfnCreate) continue;
        for (const ControllerDevice& device : row.Devices)
            if (pci.FindDeviceByID(row.wVendorID, device.wDeviceID)) controllers.push_back({&row, &device});
    }
    return controllers;
}

const ControllerRow* pFindControllerRow(uint16_t wVendorID, uint16_t wDeviceID, const ControllerDevice** ppDevice)
{
    for (const ControllerRow& row : s_Rows) {
        if (row.wVendorID != wVendorID) continue;
        for (const ControllerDevice& device : row.Devices) {
            if (device.wDeviceID != wDeviceID) continue;
            if (ppDevice) *ppDevice = &device;
            return &row;
        }
    }
    return nullptr;
}

}  // namespace smbus
