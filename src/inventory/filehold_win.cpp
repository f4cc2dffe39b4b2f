#include "filehold.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace Inventory {

namespace {

// Whether a Windows error means that another program holds the file: it opened
// it without sharing what this program asks for (a sharing violation, or access
// denied while a replace or delete of it is pending), or locked a part of it.
bool IsHoldError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// The name that reaches past 260 characters, as Qt's own file calls use.
std::wstring LongPathName(const QString &path)
{
    QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (absolute.startsWith(QLatin1String("\\\\")))
        absolute.replace(0, 2, QStringLiteral("\\\\?\\UNC\\"));
    else
        absolute.prepend(QStringLiteral("\\\\?\\"));
    return absolute.toStdWString();
}

} // namespace

bool ReadingHeldByAnotherProgram(const QString &path)
{
    // QFile keeps no error code, so the open that failed is made once more in
    // the same way (QFile shares reading and writing): its error tells.
    const HANDLE file = CreateFileW(LongPathName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return IsHoldError(GetLastError());
    // The hold ended meanwhile: the next try will work.
    CloseHandle(file);
    return true;
}

} // namespace Inventory
