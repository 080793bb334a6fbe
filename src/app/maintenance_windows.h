// Plugs the maintenance windows into the main menu: Index Files, Update
// Keys, Browse File and the hidden Encrypt / Decrypt Tables commands. Each
// works on the data folder of the program-wide settings as it is when the
// command is chosen.
#pragma once

#include "app/window_openers.h"

namespace vv::app {

void plugInMaintenanceWindows(WindowOpeners& openers);

}  // namespace vv::app
