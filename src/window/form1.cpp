#include "form1.h"
#include "ui_form1.h"

#include "componenttypes.h"
#include "entrycommands.h"
#include "filemessages.h"
#include "gridfit.h"
#include "inventorypath.h"
#include "linebreaks.h"
#include "listdisplay.h"
#include "listdocuments.h"
#include "loadedlist.h"
#include "messages.h"
#include "onelinefields.h"
#include "recordselection.h"
#include "searchfilter.h"

#include <QTextBlock>
#include <QTextCursor>

using namespace Inventory;

Form1::Form1(const QString &folder, Messages &messages, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::Form1>()), m_file(folder), m_messages(messages)
{
    m_ui->setupUi(this);
    m_listDocuments = std::make_unique<ListDocuments>(m_ui->Text5);
    // The type is what the user typed: the combo box's completer would turn
    // "Tr" into "Transistor" and "transistor" into "Transistor".
    m_ui->Combo1->setCompleter(nullptr);
    m_gridFit = std::make_unique<GridFit>(*this);
    m_gridFit->fit();
    bindEvents();
}

Form1::~Form1() = default;

void Form1::changeEvent(QEvent *event)
{
    // A screen of another scaling gives the window's font another size.
    if (event->type() == QEvent::FontChange && m_gridFit)
        m_gridFit->fit();
    QWidget::changeEvent(event);
}

void Form1::bindEvents()
{
    KeepOnOneLine({m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Combo1->lineEdit()});
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    // textEdited, not textChanged: only the user's own edits count, never the
    // program's assignments (such as the upper-case retry of the search).
    connect(m_ui->Text4, &QLineEdit::textEdited, this, &Form1::Text4_Change);
    m_ui->Text5->viewport()->installEventFilter(&m_text5Clicks);
    connect(&m_text5Clicks, &MouseClicks::clicked, this, &Form1::Text5_Click);
}

bool Form1::Form_Load()
{
    // Shown before the list is filled, the list lays out only the lines in
    // view; filled while hidden, it would lay out every line when first shown.
    show();
    const FileResult<InventoryText> file = m_file.readText();
    if (!file.ok()) {
        m_messages.warn(this, StartupFailureMessage(file.failure()));
        return false;
    }
    // The file's lines, without the empty line that every save leaves at the end.
    const QString list = LoadedList(file->text);
    m_listDocuments->showInventory(list, m_file.kept().offerAsWholeInventory(list));

    m_ui->Combo1->addItems(ComponentTypes);
    // Adding the first item made it current; the field keeps its own text.
    m_ui->Combo1->setCurrentIndex(-1);
    m_ui->Combo1->setEditText(QStringLiteral("..."));
    m_ui->Text1->setFocus();
    return true;
}

QString Form1::listText() const
{
    return m_listDocuments->listText().lines();
}

RecordFields Form1::fields() const
{
    return {m_ui->Text1->text(), m_ui->Text2->text(), m_ui->Text3->text(), m_ui->Combo1->currentText()};
}

void Form1::setFields(const RecordFields &fields)
{
    m_ui->Text1->setText(fields.box);
    m_ui->Text2->setText(fields.item);
    m_ui->Text3->setText(fields.quantity);
    m_ui->Combo1->setEditText(fields.type);
}

std::optional<Written>
Form1::overwriteInventory(const QString &command,
                          const std::function<std::optional<ListText>(QString fileText)> &textToWrite)
{
    FileResult<ChangeTracker::OverwriteCheck> check = m_file.readBeforeOverwrite();
    if (!check.ok()) {
        reportReadFailure(check.failure());
        return std::nullopt;
    }
    if (check->changed
        && !m_messages.ask(this, tr("Il file %1 è stato modificato da un altro programma "
                                    "dopo l'ultima lettura.\n"
                                    "Sovrascriverlo con il contenuto di questa finestra?")
                                     .arg(NativePath(InventoryPath(m_file.folder())))))
        return std::nullopt;
    std::optional<ListText> text = textToWrite(std::move(check->file.text));
    if (!text)
        return std::nullopt;
    SaveResult written = m_file.write(std::move(*text));
    if (!written.ok()) {
        m_messages.warn(this, SaveFailureMessage(written.failure(), command));
        return std::nullopt;
    }
    return std::move(written.value());
}

void Form1::reportReadFailure(const FileFailure &failure)
{
    m_messages.warn(this, ReadFailureMessage(failure));
}

void Form1::reportBackup(const Written &saved)
{
    if (saved.staleBackup)
        m_messages.warn(this, BackupNotRefreshedMessage(*saved.staleBackup));
}

void Form1::Command1_Click()
{
    m_ui->Text3->setText(StepQuantity(m_ui->Text3->text(), +1));
}

void Form1::Command2_Click()
{
    m_ui->Text3->setText(StepQuantity(m_ui->Text3->text(), -1));
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
    m_listDocuments->append(*record);
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
    const std::optional<Written> saved = overwriteInventory(
        m_ui->Command4->text(), [this](const QString &) { return m_listDocuments->listText(); });
    if (!saved)
        return;
    m_messages.inform(this, tr("Archivio salvato in ") + NativePath(InventoryPath(m_file.folder())));
    reportBackup(*saved);
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
    const QString composed = m_textBeforeRecord + ComposeRecord(fields());
    const auto updatedText = [this, &composed](const QString &fileText) {
        std::optional<QString> wholeList;
        if (!m_listShowsSearchResult)
            wholeList = listText();
        std::optional<QString> updated = UpdatedInventory(std::move(wholeList), fileText, SelectedRecord, composed);
        if (!updated) {
            // The fields keep the edit.
            m_messages.warn(this, tr("Il record selezionato non è più nell'archivio: "
                                     "non è stato modificato nulla."));
            return std::optional<ListText>();
        }
        return std::optional(ListText(std::move(*updated)));
    };
    const std::optional<Written> written = overwriteInventory(m_ui->Command6->text(), updatedText);
    if (!written)
        return;
    m_listDocuments->replaceRecord(SelectedRecord, composed);
    SelectedRecord.clear();
    setFields(ClearedFields());
    reportBackup(*written);
}

void Form1::Text4_Change()
{
    const QString query = m_ui->Text4->text();
    const FileResult<Found> result = FilterInventory(m_file, query);
    if (!result.ok()) {
        reportReadFailure(result.failure());
        return;
    }
    const Found &found = result.value();
    m_listShowsSearchResult = !query.isEmpty();
    if (found.wholeInventory)
        m_listDocuments->showInventory(found.listText, found.wholeInventory);
    else
        m_listDocuments->showSearchResult(found.listText);
    if (found.retried) {
        if (found.query != query)
            m_ui->Text4->setText(found.query);
        m_ui->Text4->end(false);
    }
}

void Form1::Text5_Click()
{
    // As the list text holds the line: only a line that a CR LF ends holds a
    // record to select, as in the file.
    const QTextBlock line = m_ui->Text5->document()->findBlock(m_ui->Text5->textCursor().selectionStart());
    QString lineText = FromListDisplay(line.text());
    if (line.next().isValid())
        lineText += LineEnd;
    const std::optional<SelectedLine> selected = SelectRecordAtCaret(lineText);
    if (!selected)
        return;
    setFields(selected->fields);
    m_textBeforeRecord = selected->textBefore;
    SelectedRecord = m_textBeforeRecord + ComposeRecord(fields());
}
