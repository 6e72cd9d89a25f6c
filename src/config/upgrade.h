// "Upgrade Vorla": brings the form maps of an existing configuration up to date in place.
#pragma once
#include "common/port.h"

// Runs the upgrade; reports "Done!" or the first failure through the port's message box.
void UpgradeVorla(CommandPort& port);
