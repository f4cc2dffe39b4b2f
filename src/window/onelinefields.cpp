#include "onelinefields.h"

#include "recordline.h"

#include <QLineEdit>

#include <limits>

namespace {

void JoinLines(QLineEdit *field)
{
    const QString text = field->text();
    const QString oneLine = Inventory::SingleLineValue(text);
    if (oneLine == text)
        return;
    const int caret = int(Inventory::SingleLineValue(QStringView(text).first(field->cursorPosition())).size());
    field->setText(oneLine);
    field->setCursorPosition(caret);
}

} // namespace

void KeepOnOneLine(const QList<QLineEdit *> &fields)
{
    for (QLineEdit *field : fields) {
        field->setMaxLength(std::numeric_limits<int>::max());
        QObject::connect(field, &QLineEdit::textEdited, field, [field] { JoinLines(field); });
    }
}
