#include "onelinefields.h"

#include "recordline.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

namespace {

// The line breaks in what an edit brought (typed, pasted or dropped) become
// spaces. A value that already held one, from a line of the file, keeps it:
// changing another part of the value must not change that.
void JoinInsertedLines(QLineEdit *field, const QString &before)
{
    const QString text = field->text();
    // The edit replaced what stood between the text both share at the start
    // and at the end.
    const qsizetype shortest = std::min(text.size(), before.size());
    qsizetype kept = 0;
    while (kept < shortest && text[kept] == before[kept])
        ++kept;
    qsizetype keptAtEnd = 0;
    while (keptAtEnd < shortest - kept && text[text.size() - 1 - keptAtEnd] == before[before.size() - 1 - keptAtEnd])
        ++keptAtEnd;
    const QStringView inserted = QStringView(text).sliced(kept, text.size() - kept - keptAtEnd);
    const QString oneLine = Inventory::SingleLineValue(inserted);
    if (oneLine == inserted)
        return;
    qsizetype caret = field->cursorPosition();
    if (caret >= kept + inserted.size())
        caret -= inserted.size() - oneLine.size();
    else if (caret > kept)
        caret = kept + Inventory::SingleLineValue(inserted.first(caret - kept)).size();
    QString joined = text.first(kept);
    joined += oneLine;
    joined += QStringView(text).last(keptAtEnd);
    field->setText(joined);
    field->setCursorPosition(int(caret));
}

} // namespace

void KeepOnOneLine(const QList<QLineEdit *> &fields)
{
    for (QLineEdit *field : fields) {
        field->setMaxLength(std::numeric_limits<int>::max());
        // The text before the last change, whichever of the two signals of an
        // edit comes first.
        struct Texts
        {
            QString before;
            QString current;
        };
        auto texts = std::make_shared<Texts>(Texts{field->text(), field->text()});
        QObject::connect(field, &QLineEdit::textChanged, field, [texts](const QString &text) {
            texts->before = std::exchange(texts->current, text);
        });
        QObject::connect(field, &QLineEdit::textEdited, field, [field, texts](const QString &text) {
            JoinInsertedLines(field, texts->current == text ? texts->before : texts->current);
        });
    }
}
