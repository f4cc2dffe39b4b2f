#include "filehold.h"

namespace Inventory {

// Advisory locks keep no one out.
bool HeldByAnotherProgram(const FileError &)
{
    return false;
}

} // namespace Inventory
