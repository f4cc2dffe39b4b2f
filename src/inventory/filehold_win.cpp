#include "filehold.h"

#include <windows.h>

namespace Inventory {

// Another program opened the file without sharing what this one asks for (a
// sharing violation), locked a part of it, or holds it while its replace or
// delete is pending (access denied). ReplaceFile says the same of a file it
// could not move out of the way, with nothing changed yet.
bool HeldByAnotherProgram(const FileError &error)
{
    const auto code = DWORD(error.code);
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED
           || code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

} // namespace Inventory
