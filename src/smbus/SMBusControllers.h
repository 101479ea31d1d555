#pragma once
// Every SMBus controller class the discovery can create.
#include "smbus/ALiSMBus.h"
#include "smbus/AMDSMBus.h"
#include "smbus/Intel5000XSMBus.h"
#include "smbus/IntelSMBus.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SiSSMBus.h"
#include "smbus/ViaAtiSMBus.h"
#include "smbus/nVidiaSMBus.h"
