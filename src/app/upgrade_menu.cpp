#include "app/upgrade_menu.h"

#include "common/machine_lock.h"
#include "config/converge.h"

void UpgradeVorla(CommandPort& port, HWND busyWindow)
{
    ConfigurationLock lock;
    if (!lock.Acquire(kDefaultLockWaitSeconds, busyWindow)) {
        port.ShowMessage(lock.NotHeldText());
        return;
    }
    ConvergeUpgrade([&port](const std::wstring& text) { port.ShowMessage(text); });
}
