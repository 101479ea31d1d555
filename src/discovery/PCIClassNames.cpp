// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCIClassNames.h"

#include <cstdio>

namespace discovery {

namespace {

constexpr int ANY = -1;

// nSubClass ANY: the base class's own name; nProgIf ANY: the sub-class's name.
struct ClassName {
    uint8_t bBaseClass;
    int nSubClass;
    int nProgIf;
    const char* pszName;
};

const ClassName s_Names[] = {
    {0x01, ANY, ANY, "Mass storage Controller"},
    {0x01, 0x00, ANY, "SCSI Controller"},
    {0x01, 0x01, ANY, "IDE Controller"},
    {0x01, 0x02, ANY, "Floppy Controller"},
    {0x01, 0x03, ANY, "IPI Controller"},
    {0x01, 0x04, ANY, "RAID Controller"},
    {0x01, 0x05, ANY, "ATA Controller"},
    {0x01, 0x05, 0x20, "ATA Controller (single DMA)"},
    {0x01, 0x05, 0x30, "ATA Controller (chained DMA)"},
    {0x01, 0x06, ANY, "Serial ATA Controller"},

    {0x02, ANY, ANY, "Network Controller"},
    {0x02, 0x00, ANY, "Ethernet Controller"},
    {0x02, 0x01, ANY, "Token Ring Controller"},
    {0x02, 0x02, ANY, "FDDI Controller"},
    {0x02, 0x03, ANY, "ATM Controller"},
    {0x02, 0x05, ANY, "WorldFip Controller"},
    {0x02, 0x06, ANY, "PICMG 2.14 multi-computing"},

    {0x03, ANY, ANY, "Display Controller"},
    {0x03, 0x00, ANY, "VGA Controller"},
    {0x03, 0x00, 0x01, "VGA+8514 Controller"},
    {0x03, 0x01, ANY, "XGA Controller"},
    {0x03, 0x02, ANY, "3D Controller"},

    {0x04, ANY, ANY, "Multimedia device"},
    {0x04, 0x00, ANY, "Video device"},
    {0x04, 0x01, ANY, "Audio device"},
    {0x04, 0x02, ANY, "Telephony device"},

    {0x05, ANY, ANY, "Memory Controller"},
    {0x05, 0x00, ANY, "RAM Memory Controller"},
    {0x05, 0x01, ANY, "Flash Memory Controller"},

    {0x06, ANY, ANY, "Bridge device"},
    {0x06, 0x00, ANY, "Host Bridge"},
    {0x06, 0x01, ANY, "PCI to ISA Bridge"},
    {0x06, 0x02, ANY, "PCI to EISA Bridge"},
    {0x06, 0x03, ANY, "PCI to MCA Bridge"},
    {0x06, 0x04, ANY, "PCI to PCI Bridge"},
    {0x06, 0x05, ANY, "PCI to PCMCIA Bridge"},
    {0x06, 0x06, ANY, "PCI to NuBUS Bridge"},
    {0x06, 0x07, ANY, "PCI to CardBus Bridge"},
    {0x06, 0x08, ANY, "PCI to RACEway Bridge"},
    {0x06, 0x08, 0x00, "PCI to RACEway Bridge (Transparent)"},
    {0x06, 0x08, 0x01, "PCI to RACEway Bridge (End-Point)"},
    {0x06, 0x09, ANY, "Semi-Transparent PCI to PCI Bridge"},
    {0x06, 0x09, 0x40, "Semi-Transparent PCI to PCI Bridge (Primary Bus to Host)"},
    {0x06, 0x09, 0x80, "Semi-Transparent PCI to PCI Bridge (Secondaty Bus to Host)"},
    {0x06, 0x0A, ANY, "InfiniBand to PCI Host Bridge"},

    {0x07, ANY, ANY, "Communication Device"},
    {0x07, 0x00, ANY, "Serial Controller"},
    {0x07, 0x00, 0x01, "Serial 16450 Controller"},
    {0x07, 0x00, 0x02, "Serial 16550 Controller"},
    {0x07, 0x00, 0x03, "Serial 16650 Controller"},
    {0x07, 0x00, 0x04, "Serial 16750 Controller"},
    {0x07, 0x00, 0x05, "Serial 16850 Controller"},
    {0x07, 0x00, 0x06, "Serial 16950 Controller"},
    {0x07, 0x01, ANY, "Parallel Controller"},
    {0x07, 0x01, 0x01, "Parallel BiDir Controller"},
    {0x07, 0x01, 0x02, "Parallel ECP Controller"},
    {0x07, 0x01, 0x03, "Parallel IEEE1284 Controller"},
    {0x07, 0x01, 0xFE, "Parallel IEEE1284 Target"},
    {0x07, 0x02, ANY, "Multiport Serial Controller"},
    {0x07, 0x03, ANY, "Modem"},
    {0x07, 0x03, 0x01, "Modem 16450"},
    {0x07, 0x03, 0x02, "Modem 16550"},
    {0x07, 0x03, 0x03, "Modem 16650"},
    {0x07, 0x03, 0x04, "Modem 16750"},
    {0x07, 0x04, ANY, "GPIB Controller (IEEE 488.1/2)"},
    {0x07, 0x05, ANY, "Smart Card Controller"},

    {0x08, ANY, ANY, "System Device"},
    {0x09, ANY, ANY, "Input Device"},
    {0x0A, ANY, ANY, "Docking Station"},
    {0x0B, ANY, ANY, "Processor Device"},

    {0x0C, ANY, ANY, "Serial Bus Controller"},
    {0x0C, 0x00, ANY, "FireWire Controller"},
    {0x0C, 0x00, 0x10, "OHCI FireWire Controller"},
    {0x0C, 0x01, ANY, "ACCESS Bus Controller"},
    {0x0C, 0x02, ANY, "Serial Storage Controller"},
    {0x0C, 0x03, ANY, "USB Controller"},
    {0x0C, 0x03, 0x00, "USB Controller (UHCI)"},
    {0x0C, 0x03, 0x10, "USB Controller (OHCI)"},
    {0x0C, 0x03, 0x20, "USB 2.0 Controller (EHCI)"},
    {0x0C, 0x03, 0xFE, "USB Device"},
    {0x0C, 0x05, ANY, "SMBus Controller"},

    {0x0D, ANY, ANY, "Wireless Device"},
    {0x0D, 0x00, ANY, "iRDA Controller"},
    {0x0D, 0x01, ANY, "Consumer IR"},
    {0x0D, 0x10, ANY, "RF Controller"},
    {0x0D, 0x11, ANY, "BlueTooth"},
    {0x0D, 0x12, ANY, "Broadband"},
    {0x0D, 0x20, ANY, "Wireless Ethernet 802.11a"},
    {0x0D, 0x21, ANY, "Wireless Ethernet 802.11b"},

    {0x0E, ANY, ANY, "Intelligent Controller"},
    {0x0E, 0x00, ANY, "I2O Intelligent Controller"},

    {0x0F, ANY, ANY, "Satellite Communication Device"},
    {0x10, ANY, ANY, "Encryption Device"},

    {0x11, ANY, ANY, "Data Aquisition and Signal Processing Device"},
    {0x11, 0x01, ANY, "Performance Counters"},
    {0x11, 0x10, ANY, "Communication Synchr., Time and Frequency measurement"},
    {0x11, 0x20, ANY, "Management Card"},
};

const char* pszFind(uint8_t bBaseClass, int nSubClass, int nProgIf)
{
    for (const ClassName& entry : s_Names)
        if (entry.bBaseClass == bBaseClass && entry.nSubClass == nSubClass && entry.nProgIf == nProgIf)
            return entry.pszName;
    return nullptr;
}

}  // namespace

void vDescribePCIClass(uint8_t bBaseClass, uint8_t bSubClass, uint8_t bProgIf, char* pszText, size_t nSize)
{
    if (!pszText || nSize == 0) return;
    const char* pszName = nullptr;
    if (bBaseClass >= 0x01 && bBaseClass <= 0x11) {
        pszName = pszFind(bBaseClass, ANY, ANY);
        if (const char* pszSub = pszFind(bBaseClass, bSubClass, ANY)) {
            pszName = pszSub;
            if (const char* pszInterface = pszFind(bBaseClass, bSubClass, bProgIf)) pszName = pszInterface;
        }
    }
    if (pszName)
        std::snprintf(pszText, nSize, "%s", pszName);
    else
        std::snprintf(pszText, nSize, "BaseClass 0x%02X, SubClass 0x%02X, PI 0x%02X", bBaseClass, bSubClass, bProgIf);
}

}  // namespace discovery
