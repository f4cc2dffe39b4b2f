#pragma once

#include <QList>

class QLineEdit;

// The one-line fields hold any value whole: no maximum length (a line edit
// cuts its text at 32,767 characters unless told otherwise, and a value cut
// short would no longer match its record), and a line break pasted or dropped
// into one becomes a space, caret kept, so a record is never split in two. A
// break that the value held already (read from a file) stays.
// Call before any other connection to the fields' edits, so that every
// handler sees the text on one line.
void KeepOnOneLine(const QList<QLineEdit *> &fields);
