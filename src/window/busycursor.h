#pragma once

#include "holdretry.h"

#include <QCursor>
#include <QGuiApplication>

// While a file operation waits for another program to let go of the file, the
// window shows a busy cursor, so that it does not look frozen.
class BusyCursorWhileHeld : public Inventory::HoldWait
{
public:
    void started() override { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    void ended() override { QGuiApplication::restoreOverrideCursor(); }
};
