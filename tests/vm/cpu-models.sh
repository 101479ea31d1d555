#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs inside the test VM: only the processor checks of checks.sh, for the runs that boot with
# other processor models (-cpu core2duo, Opteron_G1, pentium3, athlon).
VM_CHECKS="msr cpu cpu_multiplier" exec sh /tests/checks.sh
