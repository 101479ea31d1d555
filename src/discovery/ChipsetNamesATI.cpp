// SPDX-License-Identifier: GPL-2.0-or-later
// ATI and AMD chipsets by device id, and the few bridges of ServerWorks, Compaq and
// Transmeta that the identification knows.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_ATINorth[] = {
    {0xCAB2, "RS200/RS200M"},
    {0xCBB2, "RS200/RS200M"},
    {0x5831, "RS300/RS300M"},
    {0x5833, "RS300/RS300M"},
    {0x7833, "RS350"},
    {0x5A31, "RS400/RC400/RC410"},
    {0x5A33, "RS400/RC400/RC410"},
    {0x5950, "Xpress 200 (RS480)"},
    {0x5951, "Xpress 200p (RX480)"},
    {0x5952, "Xpress 3200 (RD580)"},
    {0x5953, "Xpress 3200p (RX580)"},
    {0x7930, "Xpress 1250 (RS600)"},
    {0x7910, "RS690/RS690M"},
    {0x7911, "RS700/RS700M"},
};

const CChipsetModel s_ATISouth[] = {
    {0x434C, "SB200"},
    {0x436C, "SB300"},
    {0x4377, "SB400"},
    {0x438D, "SB600"},
};

const CChipsetModel s_AMDNorth[] = {
    {0x7006, "AMD-751"},
    {0x700E, "AMD-761"},
    {0x700C, "AMD-762"},
    {0x7454, "AMD-8151"},
    {0x1100, "K8 Bridge"},
    {0x1101, "K8 Bridge"},
    {0x1102, "K8 Bridge"},
    {0x1103, "K8 Bridge"},
};

const CChipsetModel s_AMDSouth[] = {
    {0x7400, "AMD-755"},
    {0x7408, "AMD-756"},
    {0x7410, "AMD-766"},
    {0x7440, "AMD-768"},
    {0x7468, "AMD-8111"},
};

const CChipsetModel s_ServerWorksNorth[] = {
    {0x0007, "NB6635"},
    {0x0009, "NB6536"},
    {0x0011, "CMIC-HE"},
    {0x0014, "GC LE"},
};

const CChipsetModel s_ServerWorksSouth[] = {
    {0x0200, "OSB4"},
};

const CChipsetModel s_CompaqNorth[] = {
    {0x0007, "Triflex Model 4000"},
};

const CChipsetModel s_CompaqSouth[] = {
    {0xA0F3, "Triflex"},
};

const CChipsetModel s_TransmetaNorth[] = {
    {0x0395, "LongRun"},
};

}  // namespace

const CChipsetModelTable ATINorthBridges = CHIPSET_TABLE(s_ATINorth);
const CChipsetModelTable ATISouthBridges = CHIPSET_TABLE(s_ATISouth);
const CChipsetModelTable AMDNorthBridges = CHIPSET_TABLE(s_AMDNorth);
const CChipsetModelTable AMDSouthBridges = CHIPSET_TABLE(s_AMDSouth);
const CChipsetModelTable ServerWorksNorthBridges = CHIPSET_TABLE(s_ServerWorksNorth);
const CChipsetModelTable ServerWorksSouthBridges = CHIPSET_TABLE(s_ServerWorksSouth);
const CChipsetModelTable CompaqNorthBridges = CHIPSET_TABLE(s_CompaqNorth);
const CChipsetModelTable CompaqSouthBridges = CHIPSET_TABLE(s_CompaqSouth);
const CChipsetModelTable TransmetaNorthBridges = CHIPSET_TABLE(s_TransmetaNorth);

}  // namespace chipset
