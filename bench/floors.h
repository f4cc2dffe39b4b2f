#pragma once

#include <QString>

namespace Bench {

class Window;

// The texts that the window's interactions put in the list; the widget floors
// put the same texts in a bare list.
struct ListTexts
{
    QString whole;         // the whole inventory
    QString narrow;        // the result of the narrow search
    QString updatedWhole;  // the whole inventory after "Aggiorna"
    QString updatedNarrow; // the narrow result after "Aggiorna" on it
    QString inserted;      // the line that "Inserisci" appends, without line end
    QString selected;      // the line that "Aggiorna" changes, without line end
    QString updated;       // that line after the change
    int clickLine = 0;     // the line clicked near the end of the whole list
    int clickColumn = 0;
};

inline const QString NarrowQuery = QStringLiteral("ZX9099");
inline const QString BroadQuery = QStringLiteral("Nr");
inline const QString LowerQuery = QStringLiteral("zx9099");

// Reading and writing the file, grep -F, and the search pass without a window.
void RunFileFloors(const QString &folder, int runs, int records, int narrowLines);

// Parts of the slower interactions, timed one by one; window holds the whole list.
void RunParts(Window &window, const QString &folder, const ListTexts &texts, int runs);

} // namespace Bench
