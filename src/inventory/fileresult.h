#pragma once

#include <QString>

namespace Inventory {

struct FileResult
{
    bool ok = true;
    QString path;  // the file that could not be read or written
    QString error; // why
};

} // namespace Inventory
