// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The request protocol between CDeviceDriver and the access device that stands where the
// kernel driver stands: NT control codes with small little-endian input and output buffers.
#include <cstdint>

namespace driver {

constexpr uint32_t CTL_CODE(uint32_t dwDeviceType, uint32_t dwFunction, uint32_t dwMethod, uint32_t dwAccess)
{
    return (dwDeviceType << 16) | (dwAccess << 14) | (dwFunction << 2) | dwMethod;
}
constexpr uint32_t DEVICE_TYPE = 0x9C40;
constexpr uint32_t METHOD_BUFFERED = 0;
constexpr uint32_t FILE_ANY_ACCESS = 0;
constexpr uint32_t Code(uint32_t dwFunction) { return CTL_CODE(DEVICE_TYPE, dwFunction, METHOD_BUFFERED, FILE_ANY_ACCESS); }

constexpr uint32_t IOCTL_READ_MSR = Code(0x900);             // in: index; out: low, high
constexpr uint32_t IOCTL_READ_PORT_BYTE = Code(0x901);       // in: port; out: value
constexpr uint32_t IOCTL_WRITE_PORT_BYTE = Code(0x902);      // in: port, value & 0xFF
constexpr uint32_t IOCTL_READ_PORT_WORD = Code(0x903);
constexpr uint32_t IOCTL_WRITE_PORT_WORD = Code(0x904);
constexpr uint32_t IOCTL_READ_PORT_DWORD = Code(0x905);
constexpr uint32_t IOCTL_WRITE_PORT_DWORD = Code(0x906);
constexpr uint32_t IOCTL_READ_PHYSICAL_MEMORY = Code(0x908); // in: address, count, buffer pointer
constexpr uint32_t IOCTL_WRITE_MSR = Code(0x909);            // in: index, high, low; out: 0xFFFFFFFF on failure
constexpr uint32_t IOCTL_WRITE_PHYSICAL_DWORD = Code(0x90C); // in: address, value
constexpr uint32_t IOCTL_GET_VERSION = Code(0x90E);          // out: version
constexpr uint32_t IOCTL_MEASURE_APIC_CLOCK = Code(0x90F);   // in: PM timer port, APIC base; out: -, float MHz
constexpr uint32_t IOCTL_MEASURE_PM_TIMER = Code(0x910);     // in: port, port; out: ticks, elapsed (100 ns)

static_assert(IOCTL_READ_MSR == 0x9C402400 && IOCTL_MEASURE_PM_TIMER == 0x9C402440);

constexpr uint32_t DRIVER_VERSION = 294;

// The input of a physical memory read: the caller's buffer travels as a pointer, as it does
// to the kernel driver, so the record is 12 bytes on x86 and 16 on x86-64.
struct ReadMemoryInput {
    uint32_t dwAddress;
    uint32_t dwCount;
    void* pBuffer;
};

}  // namespace driver
