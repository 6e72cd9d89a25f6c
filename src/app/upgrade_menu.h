// The main window's "Upgrade Vorla": the upgrade engine (config/upgrade.*, config/converge.*)
// run for real from the menu, reporting through the window's port.
#pragma once
#include <windows.h>

#include "jobs/port.h"

// The upgrade written for real, reporting through the port's message box. While another run
// holds the configuration it waits, and the busy window (when given) stays painted and takes no
// input meanwhile; an upgraded configuration is left as it is.
void UpgradeVorla(CommandPort& port, HWND busyWindow = nullptr);
