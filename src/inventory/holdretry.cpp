#include "holdretry.h"

#include <QThread>

namespace Inventory {

namespace {

HoldWait PlainWait;
HoldWait *Installed = &PlainWait;

} // namespace

void HoldWait::pause(std::chrono::milliseconds length)
{
    QThread::msleep(static_cast<unsigned long>(length.count()));
}

HoldWait *InstallHoldWait(HoldWait *wait)
{
    HoldWait *previous = Installed;
    Installed = wait ? wait : &PlainWait;
    return previous;
}

HoldWait &CurrentHoldWait()
{
    return *Installed;
}

} // namespace Inventory
