#pragma once

#include <QString>

#include <optional>

class QApplication;

// How the window follows the system's display scaling: before the application
// object is made.
void ConfigureDisplayScaling();

// Name, version, icon, Italian standard texts and the busy cursor while a file
// is held, before any window opens.
void ConfigureApplication(QApplication &application);

// The folder that holds the executable, where the inventory lives; nothing
// when the system gives no name for it that can be used to reach it.
std::optional<QString> ProgramFolder();
