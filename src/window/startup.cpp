#include "startup.h"

#include "busycursor.h"
#include "inventorypath.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

void ConfigureDisplayScaling()
{
#ifdef Q_OS_WIN
    // Whole scale factors only; the rest of Windows' scaling goes to the fonts,
    // which the grid follows: 125 % and 150 % are drawn at 100 % with larger
    // fonts. At a fractional factor the style loses one-pixel edges (the
    // buttons' bottom edge at 125 %), and GDI, which draws the text, does so
    // through a scaling transform that cuts glyphs at their edges.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
#endif
}

void ConfigureApplication(QApplication &application)
{
    QCoreApplication::setApplicationName(QStringLiteral("pezzarium"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PEZZARIUM_VERSION));
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

    static BusyCursorWhileHeld busyCursor;
    Inventory::InstallHoldWait(&busyCursor);
}

std::optional<QString> ProgramFolder()
{
#ifdef Q_OS_LINUX
    // Qt's own answer turns an undecodable folder name into another name and
    // then falls back to the working folder: the link's raw bytes tell.
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = readlink("/proc/self/exe", target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return std::nullopt;
    target.resize(length);
    return Inventory::FolderOfExecutable(target);
#else
    const QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return std::nullopt;
    return folder;
#endif
}
