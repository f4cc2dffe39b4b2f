#include "filehold.h"

#include <windows.h>

namespace Inventory {

// Another program opened the file without sharing what this one asks for (a
// sharing violation), locked a part of it, or holds it while its replace or
// delete is pending (access denied).
bool HeldByAnotherProgram(const FileError &error)
{
    const auto code = DWORD(error.code);
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
}

} // namespace Inventory
