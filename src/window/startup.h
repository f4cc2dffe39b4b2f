#pragma once

class QApplication;

// Name, version, icon and Italian standard texts, before any window opens.
void ConfigureApplication(QApplication &application);
