// SPDX-License-Identifier: GPL-2.0-or-later
// The enumerations of the SMBIOS structures, by value.
#include "discovery/DMINames.h"

#include <iterator>

namespace dmi {

const char* pszLookup(const DMINameTable& table, uint32_t dwValue)
{
    for (uint32_t i = 0; i < table.nCount; ++i)
        if (table.pNames[i].dwValue == dwValue) return table.pNames[i].pszName;
    return nullptr;
}

const char* pszName(const DMINameTable& table, uint32_t dwValue, const char* pszDefault)
{
    const char* pszFound = pszLookup(table, dwValue);
    return pszFound ? pszFound : pszDefault;
}

namespace {

const DMIName s_ChassisTypes[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "Desktop"}, {0x04, "Low Profile Desktop"},
    {0x05, "Pizza Box"}, {0x06, "Mini Tower"}, {0x07, "Tower"}, {0x08, "Portable"},
    {0x09, "Laptop"}, {0x0A, "Notebook"}, {0x0B, "Hand Held"}, {0x0C, "Docking Station"},
    {0x0D, "All In One"}, {0x0E, "Sub Notebook"}, {0x0F, "Space-saving"}, {0x10, "Lunch Box"},
    {0x11, "Main Server Chassis"}, {0x12, "Expansion Chassis"}, {0x13, "Sub Chassis"},
    {0x14, "Bus Expansion Chassis"}, {0x15, "Peripheral Chassis"}, {0x16, "RAID Chassis"},
    {0x17, "Rack Mount Chassis"}, {0x18, "Sealed-case PC"}, {0x19, "Multi-system"},
    {0x1A, "CompactPCI"}, {0x1B, "AdvancedTCA"}, {0x1C, "Blade"}, {0x1D, "Blade Enclosing"},
    {0x1E, "Tablet"}, {0x1F, "Convertible"}, {0x20, "Detachable"}, {0x21, "IoT Gateway"},
    {0x22, "Embedded PC"}, {0x23, "Mini PC"}, {0x24, "Stick PC"},
};

const DMIName s_ErrorCorrectingBits[] = {
    {0, "Other"}, {1, "Unknown"}, {2, "None"}, {3, "Single-bit Error Correcting"},
    {4, "Double-bit Error Correcting"}, {5, "Error Scrubbing"},
};

const DMIName s_ConnectorTypes[] = {
    {0x00, "None"}, {0x01, "Centronics"}, {0x02, "Mini Centronics"}, {0x03, "Proprietary"},
    {0x04, "DB-25 male"}, {0x05, "DB-25 female"}, {0x06, "DB-15 male"}, {0x07, "DB-15 female"},
    {0x08, "DB-9 male"}, {0x09, "DB-9 female"}, {0x0A, "RJ-11"}, {0x0B, "RJ-45"},
    {0x0C, "50 Pin MiniSCSI"}, {0x0D, "Mini DIN"}, {0x0E, "Micro DIN"}, {0x0F, "PS/2"},
    {0x10, "Infrared"}, {0x11, "HP-HIL"}, {0x12, "Access Bus (USB)"}, {0x13, "SSA SCSI"},
    {0x14, "Circular DIN-8 male"}, {0x15, "Circular DIN-8 female"}, {0x16, "On Board IDE"},
    {0x17, "On Board Floppy"}, {0x18, "9 Pin Dual Inline (pin 10 cut)"},
    {0x19, "25 Pin Dual Inline (pin 26 cut)"}, {0x1A, "50 Pin Dual Inline"},
    {0x1B, "68 Pin Dual Inline"}, {0x1C, "On Board Sound Input From CD-ROM"},
    {0x1D, "Mini Centronics Type-14"}, {0x1E, "Mini Centronics Type-26"},
    {0x1F, "Mini Jack (headphones)"}, {0x20, "BNC"}, {0x21, "IEEE 1394"},
    {0x22, "SAS/SATA Plug Receptacle"}, {0x23, "USB Type-C Receptacle"}, {0xA0, "PC-98"},
    {0xA1, "PC-98 Hireso"}, {0xA2, "PC-H98"}, {0xA3, "PC-98 Note"}, {0xA4, "PC-98 Full"},
    {0xFF, "Other"},
};

const DMIName s_PortTypes[] = {
    {0x00, "None"}, {0x01, "Parallel Port XT/AT Compatible"}, {0x02, "Parallel Port PS/2"},
    {0x03, "Parallel Port ECP"}, {0x04, "Parallel Port EPP"}, {0x05, "Parallel Port ECP/EPP"},
    {0x06, "Serial Port XT/AT Compatible"}, {0x07, "Serial Port 16450 Compatible"},
    {0x08, "Serial Port 16550 Compatible"}, {0x09, "Serial Port 16550A Compatible"},
    {0x0A, "SCSI Port"}, {0x0B, "MIDI Port"}, {0x0C, "Joystick Port"}, {0x0D, "Keyboard Port"},
    {0x0E, "Mouse Port"}, {0x0F, "SSA SCSI"}, {0x10, "USB"}, {0x11, "Firewire (IEEE P1394)"},
    {0x12, "PCMCIA Type I"}, {0x13, "PCMCIA Type II"}, {0x14, "PCMCIA Type III"},
    {0x15, "Cardbus"}, {0x16, "Access Bus Port"}, {0x17, "SCSI II"}, {0x18, "SCSI Wide"},
    {0x19, "PC-98"}, {0x1A, "PC-98 Hireso"}, {0x1B, "PC-H98"}, {0x1C, "Video Port"},
    {0x1D, "Audio Port"}, {0x1E, "Modem Port"}, {0x1F, "Network Port"}, {0x20, "SATA"},
    {0x21, "SAS"}, {0x22, "MFDP (Multi-Function Display Port)"}, {0x23, "Thunderbolt"},
    {0xA0, "8251 Compatible"}, {0xA1, "8251 FIFO Compatible"}, {0xFF, "Other"},
};

const DMIName s_SlotTypes[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "ISA"}, {0x04, "MCA"}, {0x05, "EISA"},
    {0x06, "PCI"}, {0x07, "PC Card (PCMCIA)"}, {0x08, "VLB"}, {0x09, "Proprietary"},
    {0x0A, "Processor Card"}, {0x0B, "Proprietary Memory Card"}, {0x0C, "I/O Riser Card"},
    {0x0D, "NuBus"}, {0x0E, "PCI-66"}, {0x0F, "AGP"}, {0x10, "AGP 2x"}, {0x11, "AGP 4x"},
    {0x12, "PCI-X"}, {0x13, "AGP 8x"}, {0x14, "M.2 Socket 1-DP"}, {0x15, "M.2 Socket 1-SD"},
    {0x16, "M.2 Socket 2"}, {0x17, "M.2 Socket 3"}, {0x18, "MXM Type I"}, {0x19, "MXM Type II"},
    {0x1A, "MXM Type III"}, {0x1B, "MXM Type III-HE"}, {0x1C, "MXM Type IV"},
    {0x1D, "MXM 3.0 Type A"}, {0x1E, "MXM 3.0 Type B"}, {0x1F, "PCI Express 2 SFF-8639 (U.2)"},
    {0x20, "PCI Express 3 SFF-8639 (U.2)"}, {0x21, "PCI Express Mini 52-pin with bottom-side keep-outs"},
    {0x22, "PCI Express Mini 52-pin without bottom-side keep-outs"}, {0x23, "PCI Express Mini 76-pin"},
    {0xA0, "PC-98/C20"}, {0xA1, "PC-98/C24"}, {0xA2, "PC-98/E"}, {0xA3, "PC-98/Local Bus"},
    {0xA4, "PC-98/Card"}, {0xA5, "PCI Express"}, {0xA6, "PCI Express x1"}, {0xA7, "PCI Express x2"},
    {0xA8, "PCI Express x4"}, {0xA9, "PCI Express x8"}, {0xAA, "PCI Express x16"},
    {0xAB, "PCI Express 2"}, {0xAC, "PCI Express 2 x1"}, {0xAD, "PCI Express 2 x2"},
    {0xAE, "PCI Express 2 x4"}, {0xAF, "PCI Express 2 x8"}, {0xB0, "PCI Express 2 x16"},
    {0xB1, "PCI Express 3"}, {0xB2, "PCI Express 3 x1"}, {0xB3, "PCI Express 3 x2"},
    {0xB4, "PCI Express 3 x4"}, {0xB5, "PCI Express 3 x8"}, {0xB6, "PCI Express 3 x16"},
};

// Data bus widths in bits; the lane counts of serial slots are not bit widths.
const DMIName s_SlotWidths[] = {
    {0x03, "8"}, {0x04, "16"}, {0x05, "32"}, {0x06, "64"}, {0x07, "128"},
};

const DMIName s_SlotUsages[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "no"}, {0x04, "yes"}, {0x05, "Unavailable"},
};

const DMIName s_MemoryArrayLocations[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "System Board Or Motherboard"},
    {0x04, "ISA Add-on Card"}, {0x05, "EISA Add-on Card"}, {0x06, "PCI Add-on Card"},
    {0x07, "MCA Add-on Card"}, {0x08, "PCMCIA Add-on Card"}, {0x09, "Proprietary Add-on Card"},
    {0x0A, "NuBus"}, {0xA0, "PC-98/C20 Add-on Card"}, {0xA1, "PC-98/C24 Add-on Card"},
    {0xA2, "PC-98/E Add-on Card"}, {0xA3, "PC-98/Local Bus Add-on Card"}, {0xA4, "CXL Add-on Card"},
};

const DMIName s_MemoryArrayUses[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "System Memory"}, {0x04, "Video Memory"},
    {0x05, "Flash Memory"}, {0x06, "Non-volatile RAM"}, {0x07, "Cache Memory"},
};

const DMIName s_MemoryFormFactors[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "SIMM"}, {0x04, "SIP"}, {0x05, "Chip"},
    {0x06, "DIP"}, {0x07, "ZIP"}, {0x08, "Proprietary Card"}, {0x09, "DIMM"}, {0x0A, "TSOP"},
    {0x0B, "Row Of Chips"}, {0x0C, "RIMM"}, {0x0D, "SODIMM"}, {0x0E, "SRIMM"}, {0x0F, "FB-DIMM"},
    {0x10, "Die"},
};

const DMIName s_MemoryTypes[] = {
    {0x01, "Other"}, {0x02, "Unknown"}, {0x03, "DRAM"}, {0x04, "EDRAM"}, {0x05, "VRAM"},
    {0x06, "SRAM"}, {0x07, "RAM"}, {0x08, "ROM"}, {0x09, "Flash"}, {0x0A, "EEPROM"},
    {0x0B, "FEPROM"}, {0x0C, "EPROM"}, {0x0D, "CDRAM"}, {0x0E, "3DRAM"}, {0x0F, "SDRAM"},
    {0x10, "SGRAM"}, {0x11, "RDRAM"}, {0x12, "DDR"}, {0x13, "DDR2"}, {0x14, "DDR2 FB-DIMM"},
    {0x18, "DDR3"}, {0x19, "FBD2"}, {0x1A, "DDR4"}, {0x1B, "LPDDR"}, {0x1C, "LPDDR2"},
    {0x1D, "LPDDR3"}, {0x1E, "LPDDR4"}, {0x1F, "Logical non-volatile device"}, {0x20, "HBM"},
    {0x21, "HBM2"}, {0x22, "DDR5"}, {0x23, "LPDDR5"}, {0x24, "HBM3"},
};

template <size_t N>
constexpr DMINameTable Table(const DMIName (&names)[N])
{
    return {names, static_cast<uint32_t>(N)};
}

}  // namespace

const DMINameTable ChassisTypes = Table(s_ChassisTypes);
const DMINameTable ErrorCorrectingBits = Table(s_ErrorCorrectingBits);
const DMINameTable ConnectorTypes = Table(s_ConnectorTypes);
const DMINameTable PortTypes = Table(s_PortTypes);
const DMINameTable SlotTypes = Table(s_SlotTypes);
const DMINameTable SlotWidths = Table(s_SlotWidths);
const DMINameTable SlotUsages = Table(s_SlotUsages);
const DMINameTable MemoryArrayLocations = Table(s_MemoryArrayLocations);
const DMINameTable MemoryArrayUses = Table(s_MemoryArrayUses);
const DMINameTable MemoryFormFactors = Table(s_MemoryFormFactors);
const DMINameTable MemoryTypes = Table(s_MemoryTypes);

}  // namespace dmi
