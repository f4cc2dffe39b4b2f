#include "form1.h"
#include "ui_form1.h"

#include "componenttypes.h"
#include "entrycommands.h"
#include "inventoryfile.h"
#include "inventorypath.h"
#include "listdocuments.h"
#include "listtext.h"
#include "messages.h"
#include "recordselection.h"
#include "searchfilter.h"
#include "lines.h"
#include "textsearch.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Inventory;

namespace {

QString NativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

Form1::Form1(const QString &folder, Messages &messages, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::Form1>()), m_file(folder), m_messages(messages)
{
    ui->setupUi(this);
    m_listDocuments = std::make_unique<ListDocuments>(ui->Text5);
    // A line edit cuts its text at 32,767 characters unless told otherwise,
    // and a value cut short would no longer match its record.
    for (QLineEdit *field : singleLineFields())
        field->setMaxLength(std::numeric_limits<int>::max());
    // The type is what the user typed: the combo box's completer would turn
    // "Tr" into "Transistor" and "transistor" into "Transistor".
    ui->Combo1->setCompleter(nullptr);
    fitLayoutToFont();
    bindEvents();
}

QList<QLineEdit *> Form1::singleLineFields() const
{
    return {ui->Text1, ui->Text2, ui->Text3, ui->Text4, ui->Combo1->lineEdit()};
}

void Form1::keepOnOneLine(QLineEdit *field)
{
    const QString text = field->text();
    const QString oneLine = SingleLineValue(text);
    if (oneLine == text)
        return;
    const int caret = int(SingleLineValue(QStringView(text).first(field->cursorPosition())).size());
    field->setText(oneLine);
    field->setCursorPosition(caret);
}

Form1::~Form1() = default;

void Form1::fitLayoutToFont()
{
    // The grid was drawn for a 9-point font. With a larger default font the
    // whole grid grows by one factor, so that every caption stays whole and
    // the controls keep their places relative to each other.
    const QList<QWidget *> frames = {ui->Frame1, ui->Frame2};
    QList<QWidget *> controls = frames;
    for (QWidget *frame : frames)
        controls += frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);

    double scale = 1.0;
    const auto fit = [&scale](const QWidget *control, const QString &caption, int padding) {
        const int needed = control->fontMetrics().horizontalAdvance(caption) + padding;
        scale = std::max(scale, double(needed) / control->width());
    };
    for (const QLabel *label : findChildren<QLabel *>())
        fit(label, label->text(), 2);
    for (const QPushButton *button : findChildren<QPushButton *>())
        fit(button, button->text(), 8);
    if (scale == 1.0)
        return;

    const auto scaled = [scale](int length) { return int(std::lround(length * scale)); };
    for (QWidget *control : controls) {
        const QRect place = control->geometry();
        control->setGeometry(scaled(place.x()), scaled(place.y()),
                             scaled(place.width()), scaled(place.height()));
    }
    resize(scaled(width()), scaled(height()));
}

void Form1::bindEvents()
{
    // First of all, so that every handler of an edit sees the text on one line.
    for (QLineEdit *field : singleLineFields())
        connect(field, &QLineEdit::textEdited, this, [this, field] { keepOnOneLine(field); });
    connect(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(ui->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    // textEdited, not textChanged: only the user's own edits count, never the
    // program's assignments (such as the upper-case retry of the search).
    connect(ui->Text2, &QLineEdit::textEdited, this, &Form1::Text2_Change);
    connect(ui->Text4, &QLineEdit::textEdited, this, &Form1::Text4_Change);
    ui->Text5->viewport()->installEventFilter(&m_text5Clicks);
    connect(&m_text5Clicks, &MouseClicks::clicked, this, &Form1::Text5_Click);
}

bool Form1::Form_Load()
{
    // Shown before the list is filled, the list lays out only the lines in
    // view; filled while hidden, it would lay out every line when first shown.
    show();
    const ReadResult file = m_file.readText();
    if (!file.ok) {
        m_messages.warn(this, tr("Impossibile leggere %1: %2\n"
                                 "Il programma viene chiuso senza modificare l'archivio.")
                                  .arg(NativePath(file.path), file.error));
        return false;
    }
    const QString list = ListTextFromFile(file.text);
    // Usually what an empty search gives too: then a search that every line
    // matches finds the list as it is without building it again.
    KeepAsWholeInventory(m_wholeInventory, file.text, list);
    m_listDocuments->showWholeInventory(list);

    ui->Combo1->addItems(ComponentTypes);
    // Adding the first item made it current; the field keeps its own text.
    ui->Combo1->setCurrentIndex(-1);
    ui->Combo1->setEditText(QStringLiteral("..."));
    ui->Text1->setFocus();
    return true;
}

QString Form1::listText() const
{
    // The document keeps its lines apart by U+2029 and holds no other line
    // break; its raw text comes in one piece, far faster than line by line.
    const QString raw = ui->Text5->document()->toRawText();
    QString text;
    // Room for every CR LF, and for the one that saving adds.
    text.reserve(raw.size() + ui->Text5->document()->blockCount() + LineEnd.size());
    qsizetype from = 0;
    for (qsizetype at; (at = raw.indexOf(QChar::ParagraphSeparator, from)) >= 0; from = at + 1) {
        text += QStringView(raw).sliced(from, at - from);
        text += LineEnd;
    }
    text += QStringView(raw).sliced(from);
    return text;
}

void Form1::replaceInList(const QString &selected, const QString &composed)
{
    const QStringView selectedLine = QStringView(selected).chopped(LineEnd.size());
    const QStringView composedLine = QStringView(composed).chopped(LineEnd.size());
    const auto isOneLine = [](QStringView record, QStringView line) {
        return record.endsWith(LineEnd) && !line.contains(u'\r') && !line.contains(u'\n')
               && !line.contains(QChar::ParagraphSeparator) && line.size() <= ListDocuments::LongestWrappedLine;
    };
    if (!isOneLine(selected, selectedLine) || !isOneLine(composed, composedLine)) {
        m_listDocuments->replaceShown(ReplaceAll(listText(), selected, composed));
        return;
    }
    // Each occurrence of a one-line record with its CR LF is, in the document,
    // that line followed by U+2029. Editing just those lines keeps the view
    // where it is and spares laying out the whole list again.
    QString sought = selectedLine.toString();
    sought += QChar::ParagraphSeparator;
    const QList<qsizetype> found = Occurrences(ui->Text5->document()->toRawText(), sought);
    QTextCursor cursor(ui->Text5->document());
    cursor.beginEditBlock();
    // Each edit moves the occurrences after it by the difference in length.
    // Document positions are ints: a document never holds more characters.
    const qsizetype shift = composedLine.size() - selectedLine.size();
    qsizetype moved = 0;
    for (const qsizetype at : found) {
        cursor.setPosition(static_cast<int>(at + moved));
        cursor.setPosition(static_cast<int>(at + moved + selectedLine.size()), QTextCursor::KeepAnchor);
        cursor.insertText(composedLine.toString());
        moved += shift;
    }
    cursor.endEditBlock();
}

RecordFields Form1::fields() const
{
    return {ui->Text1->text(), ui->Text2->text(), ui->Text3->text(), ui->Combo1->currentText()};
}

void Form1::setFields(const RecordFields &fields)
{
    ui->Text1->setText(fields.box);
    ui->Text2->setText(fields.item);
    ui->Text3->setText(fields.quantity);
    ui->Combo1->setEditText(fields.type);
}

std::optional<QString> Form1::inventoryToOverwrite()
{
    InventoryFile::Current current = m_file.readBeforeOverwrite();
    if (!current.ok) {
        reportReadFailure(current);
        return std::nullopt;
    }
    if (current.changed
        && !m_messages.ask(this, tr("Il file %1 è stato modificato da un altro programma "
                                    "dopo l'ultima lettura.\n"
                                    "Sovrascriverlo con il contenuto di questa finestra?")
                                     .arg(NativePath(InventoryPath(m_file.folder())))))
        return std::nullopt;
    return std::move(current.text);
}

bool Form1::mayOverwriteInventory()
{
    // The file's text is not needed here: it goes before anything is written.
    return inventoryToOverwrite().has_value();
}

bool Form1::writeInventory(QString text)
{
    const FileResult written = m_file.write(std::move(text));
    if (!written.ok) {
        m_messages.warn(this, tr("Impossibile salvare %1: %2\n"
                                 "L'archivio è rimasto com'era.")
                                  .arg(NativePath(written.path), written.error));
    }
    return written.ok;
}

void Form1::reportReadFailure(const FileResult &failure)
{
    m_messages.warn(this, tr("Impossibile leggere %1: %2").arg(NativePath(failure.path), failure.error));
}

void Form1::Command1_Click()
{
    ui->Text3->setText(StepQuantity(ui->Text3->text(), +1));
}

void Form1::Command2_Click()
{
    ui->Text3->setText(StepQuantity(ui->Text3->text(), -1));
}

void Form1::Command3_Click()
{
    const RecordFields entered = fields();
    const std::optional<QString> record = InsertedRecord(entered);
    if (!record)
        return;
    // A line added to a search result could never be saved: "Salva" refuses
    // a search result, and the next search replaces it. The fields keep it.
    if (m_listShowsSearchResult) {
        m_messages.inform(this, tr("L'elenco mostra il risultato di una ricerca: il record non è "
                                   "stato inserito.\n"
                                   "Svuotare il campo Ricerca per inserirlo nell'intero archivio."));
        return;
    }
    ComposedRecord = *record;
    m_listDocuments->append(ComposedRecord);
    setFields(FieldsAfterInsert(entered));
}

void Form1::Command4_Click()
{
    if (m_listShowsSearchResult) {
        m_messages.inform(this, tr("L'elenco mostra il risultato di una ricerca, non l'intero "
                                   "archivio, e non viene salvato.\n"
                                   "Svuotare il campo Ricerca per riavere l'intero archivio "
                                   "e poterlo salvare."));
        return;
    }
    if (!mayOverwriteInventory() || !writeInventory(listText()))
        return;
    m_messages.inform(this, tr("Archivio salvato in ") + NativePath(InventoryPath(m_file.folder())));
}

void Form1::Command5_Click()
{
    close();
}

void Form1::Command6_Click()
{
    if (SelectedRecord.isEmpty()) {
        setFields(ClearedFields());
        return;
    }
    const QString composed = ComposeRecord(fields());
    // The list holds the whole inventory, or, after a search, only some of
    // its records: then the change goes into the file's full content.
    std::optional<QString> target;
    if (m_listShowsSearchResult) {
        target = inventoryToOverwrite();
        if (!target)
            return;
        *target = ListTextFromFile(*target);
    } else {
        target = listText();
    }
    if (FindText(*target, SelectedRecord) < 0) {
        // Changed or removed by another program, or a line that reads back
        // otherwise than it stands: whatever would be written, it is not
        // the change the user asked for. The fields keep the edit.
        m_messages.warn(this, tr("Il record selezionato non è più nell'archivio: "
                                 "non è stato modificato nulla."));
        return;
    }
    if (!m_listShowsSearchResult && !mayOverwriteInventory())
        return;
    *target = ReplaceAll(std::move(*target), SelectedRecord, composed);
    if (!writeInventory(std::move(*target)))
        return;
    target.reset(); // a whole inventory less in memory while the list is edited
    ComposedRecord = composed;
    replaceInList(SelectedRecord, composed);
    // One update per selection: pressing again must not touch the record twice.
    SelectedRecord.clear();
    setFields(ClearedFields());
}

void Form1::Text2_Change()
{
}

void Form1::Text4_Change()
{
    const QString query = ui->Text4->text();
    const FilterResult found = FilterInventory(m_file, query, &m_wholeInventory);
    if (!found.ok) {
        reportReadFailure(found);
        return;
    }
    m_listShowsSearchResult = !query.isEmpty();
    if (m_listShowsSearchResult)
        m_listDocuments->showSearchResult(found.listText);
    else
        m_listDocuments->showWholeInventory(found.listText);
    if (found.retried) {
        if (found.query != query)
            ui->Text4->setText(found.query);
        ui->Text4->end(false);
    }
}

void Form1::Text5_Click()
{
    // Only the clicked line is handed over, with its CR LF when one follows it.
    const QTextCursor caret = ui->Text5->textCursor();
    const QTextBlock line = ui->Text5->document()->findBlock(caret.selectionStart());
    QString lineText = line.text();
    if (line.next().isValid())
        lineText += LineEnd;
    const std::optional<RecordFields> selected =
        SelectRecordAtCaret(lineText, caret.selectionStart() - line.position());
    if (!selected)
        return;
    setFields(*selected);
    SelectedRecord = ComposeRecord(fields());
}
