#include "config/upgrade.h"

void UpgradeVorla(CommandPort&)
{
}
