#pragma once

#include "fileresult.h"

namespace Inventory {

// Whether a failure means that another program holds the file for the moment,
// so that the same operation may work a little later. Only Windows lets a
// program hold a file against others; elsewhere this is never so.
bool HeldByAnotherProgram(const FileError &error);

} // namespace Inventory
