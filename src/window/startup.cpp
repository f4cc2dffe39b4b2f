#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

void ConfigureApplication(QApplication &application)
{
    QCoreApplication::setApplicationName(QStringLiteral("pezzarium"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    // Ties the window to its menu entry and icon where the desktop asks (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("pezzarium"));

    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/icons/pezzarium-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    // The window speaks Italian, so Qt's own texts (context menus, buttons) do too.
    auto *translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_it"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
