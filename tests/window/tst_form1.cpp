#include "filemessages.h"
#include "formfixture.h"
#include "inventorysave_platform.h"
#include "messages.h"

#include <QClipboard>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTranslator>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>

#include <cerrno>
#else
#include <windows.h>
#endif

namespace {

// Puts at path something that is no readable inventory; false when it could
// not be done.
using Occupy = bool (*)(const QString &path);

bool GrowTo64GiB(const QString &path)
{
    QFile file(path); // sparse: nothing is written
    return file.open(QIODevice::ReadWrite) && file.resize(qint64(64) << 30);
}

#ifdef Q_OS_UNIX
bool MakeFifo(const QString &path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}
#endif

} // namespace

Q_DECLARE_METATYPE(Occupy)
Q_DECLARE_METATYPE(Inventory::FileError)

class TestForm1 : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init();
    void questionIsNotAnsweredByATypedLetter_data();
    void questionIsNotAnsweredByATypedLetter();
    void startsWithEveryCaptionAndTextWhole_data();
    void startsWithEveryCaptionAndTextWhole();
    void startsWithTheElevenTypes();
    void startsWithFocusInBoxFieldAndTabsInTableOrder();
    void loadsTheFileIntoTheList();
    void endsWhenTheFileCannotBeRead();
    void endsWhenTheInventoryIsNoOrdinaryFileOrTooLarge_data();
    void endsWhenTheInventoryIsNoOrdinaryFileOrTooLarge();
    void saveOfAFileNoLongerReadableWritesNothing_data();
    void saveOfAFileNoLongerReadableWritesNothing();
    void veryLongLinesAreShownUnwrapped();
    void aVeryLongLineAddedTurnsWrappingOff_data();
    void aVeryLongLineAddedTurnsWrappingOff();
    void quantityButtonsStep();
    void insertAppendsAndKeepsBoxAndType();
    void insertWithoutBoxOrCodeChangesNothing_data();
    void insertWithoutBoxOrCodeChangesNothing();
    void typeIsStoredAsTyped_data();
    void typeIsStoredAsTyped();
    void insertJoinsALastLineWithoutLineEnd();
    void saveWritesTheListAndConfirms();
    void saveFailureKeepsFileListAndWindow();
    void backupNotRefreshedIsToldAfterTheConfirmation();
    void reasonsAreWordedInItalian_data();
    void reasonsAreWordedInItalian();
    void twoWindowsOnOneFolderLeaveCompleteFiles();
    void saveAsksBeforeOverwritingAnotherProgramsChange_data();
    void saveAsksBeforeOverwritingAnotherProgramsChange();
};

void TestForm1::init()
{
    resetFolder();
    createForm();
}

void TestForm1::startsWithEveryCaptionAndTextWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::addRow("Frame1") << "Frame1" << "Database";
    QTest::addRow("Frame2") << "Frame2" << "Ricerca";
    QTest::addRow("Label1") << "Label1" << "Nome Cassetto";
    QTest::addRow("Label2") << "Label2" << "Sigla Componente";
    QTest::addRow("Label3") << "Label3" << "Numero";
    QTest::addRow("Label4") << "Label4" << "Ricerca";
    QTest::addRow("Label5") << "Label5" << "Tipologia";
    QTest::addRow("Text1") << "Text1" << "";
    QTest::addRow("Text2") << "Text2" << "";
    QTest::addRow("Text3") << "Text3" << "0";
    QTest::addRow("Text4") << "Text4" << "...";
    QTest::addRow("Text5") << "Text5" << "";
    QTest::addRow("Combo1") << "Combo1" << "...";
    QTest::addRow("Command1") << "Command1" << "+";
    QTest::addRow("Command2") << "Command2" << "-";
    QTest::addRow("Command3") << "Command3" << "Inserisci";
    QTest::addRow("Command4") << "Command4" << "Salva";
    QTest::addRow("Command5") << "Command5" << "Esci";
    QTest::addRow("Command6") << "Command6" << "Aggiorna";
}

void TestForm1::startsWithEveryCaptionAndTextWhole()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    QVERIFY(m_form->Form_Load());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Pezzarium v1.01 by Varnello"));
    // At the grid's own 9 points, at GNOME's default 11 and at a large 16;
    // then given to the open window, as a screen of another scaling does (16
    // points, and back to 9 from 16).
    const QFont original = QApplication::font();
    for (const auto &[pointSize, afterwards] :
         {std::pair{9, false}, {11, false}, {16, false}, {16, true}, {9, true}}) {
        QFont font = original;
        font.setPointSize(pointSize);
        QApplication::setFont(afterwards ? original : font);
        Form1 form(m_folder->path(), m_messages);
        QApplication::setFont(original);
        QVERIFY(form.Form_Load());
        if (afterwards) {
            QFont large = font;
            large.setPointSize(16);
            form.setFont(large);
            form.setFont(font);
        }

        auto *widget = form.findChild<QWidget *>(name);
        QVERIFY(widget);
        QString shown;
        int room = widget->width();
        if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
            shown = frame->title();
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            shown = label->text();
        } else if (auto *field = qobject_cast<QLineEdit *>(widget)) {
            shown = field->text();
        } else if (auto *list = qobject_cast<QPlainTextEdit *>(widget)) {
            shown = list->toPlainText();
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            shown = combo->currentText();
            room = combo->lineEdit()->width();
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            shown = button->text();
            room -= 2; // the button's own frame
        }
        QCOMPARE(shown, text);
        QVERIFY2(widget->fontMetrics().horizontalAdvance(shown) <= room,
                 qPrintable(QStringLiteral("%1 clipped at %2 points%3")
                                .arg(name)
                                .arg(pointSize)
                                .arg(afterwards ? " given afterwards" : "")));
        QVERIFY(form.rect().contains(widget->mapTo(&form, widget->rect().bottomRight())));
    }
}

void TestForm1::startsWithTheElevenTypes()
{
    writeInventory("[Box]: A1 [Item]: X [Nr]: 1 [Type]: Relè\r\n");
    QVERIFY(m_form->Form_Load());
    auto *combo = control<QComboBox>("Combo1");
    QStringList types;
    for (int i = 0; i < combo->count(); ++i)
        types << combo->itemText(i);
    QCOMPARE(types, QStringList({"Resistenza", "Condensatore", "Induttanza", "Transistor",
                                 "RF Transistor", "Quarzo", "Risuonatore", "Socket", "IC",
                                 "MicroChip", "Varie"}));
    QCOMPARE(combo->currentText(), QStringLiteral("..."));

    // Confirming a typed type keeps the list at its eleven entries.
    QTest::keyClicks(combo, "Nuovo");
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->count(), 11);
}

void TestForm1::startsWithFocusInBoxFieldAndTabsInTableOrder()
{
    QVERIFY(m_form->Form_Load());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("Text1"));

    const QStringList order = {"Text2", "Text3", "Command1", "Command2", "Text4", "Text5",
                               "Combo1", "Command3", "Command4", "Command5", "Command6", "Text1"};
    for (const QString &expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        // The editable drop-down hands its focus to its own line edit.
        if (qobject_cast<QComboBox *>(focused->parentWidget()))
            focused = focused->parentWidget();
        QCOMPARE(focused->objectName(), expected);
    }
}

void TestForm1::loadsTheFileIntoTheList()
{
    writeInventory("A\r\nB\nC\rD\r\n\r\n\r\nE");
    QVERIFY(m_form->Form_Load());
    QCOMPARE(m_form->listText(), QStringLiteral("A\r\nB\r\nC\r\nD\r\n\r\nE\r\n"));
    QVERIFY(m_messages.warnings.isEmpty());
}

void TestForm1::endsWhenTheFileCannotBeRead()
{
#ifdef Q_OS_LINUX
    // A regular file whose every read fails, even for root.
    QVERIFY(QFile::link("/proc/self/mem", inventoryPath()));
    QVERIFY(!m_form->Form_Load());
    QCOMPARE(m_messages.warnings.size(), 1);
    // The file that could not be read: the link's target.
    QVERIFY2(m_messages.warnings.first().startsWith("Impossibile leggere /proc/self/mem: "),
             qPrintable(m_messages.warnings.first()));
#else
    QSKIP("needs a file that cannot be read");
#endif
}

void TestForm1::endsWhenTheInventoryIsNoOrdinaryFileOrTooLarge_data()
{
    QTest::addColumn<Occupy>("occupy");
    QTest::addColumn<QString>("reason");
    QTest::addRow("folder") << Occupy([](const QString &path) { return QDir().mkdir(path); })
                            << "non è un file ordinario";
#ifdef Q_OS_UNIX
    QTest::addRow("fifo") << Occupy([](const QString &path) { return MakeFifo(path); }) << "non è un file ordinario";
    QTest::addRow("linkToFifo") << Occupy([](const QString &path) {
        return MakeFifo(path + ".fifo") && QFile::link(path + ".fifo", path);
    }) << "non è un file ordinario";
    // Not taken for a missing file, which would show an empty list that
    // "Salva" then writes over the link.
    QTest::addRow("linkLoop") << Occupy([](const QString &path) {
        return QFile::link(path + ".2", path) && QFile::link(path, path + ".2");
    }) << "un ciclo di collegamenti";
    QTest::addRow("linkIntoMissingFolder") << Occupy([](const QString &path) {
        return QFile::link(path + ".manca/magazzino.txt", path);
    }) << "il file o la cartella non esiste";
#endif
    QTest::addRow("sparse64GiB") << Occupy(GrowTo64GiB) << "troppo grande (64,00 GiB";
}

void TestForm1::endsWhenTheInventoryIsNoOrdinaryFileOrTooLarge()
{
    QFETCH(Occupy, occupy);
    QFETCH(QString, reason);
    QVERIFY(occupy(inventoryPath()));
    QVERIFY(!m_form->Form_Load());
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY2(m_messages.warnings.first().startsWith("Impossibile leggere "
                                                    + QDir::toNativeSeparators(inventoryPath())),
             qPrintable(m_messages.warnings.first()));
    QVERIFY(m_messages.warnings.first().contains(reason));
}

void TestForm1::saveOfAFileNoLongerReadableWritesNothing_data()
{
    QTest::addColumn<Occupy>("occupy");
    QTest::addRow("grownTo64GiB") << Occupy(GrowTo64GiB);
#ifdef Q_OS_LINUX
    // A regular file whose every read fails, even for root.
    QTest::addRow("unreadable") << Occupy([](const QString &path) {
        return QFile::remove(path) && QFile::link("/proc/self/mem", path);
    });
#endif
}

void TestForm1::saveOfAFileNoLongerReadableWritesNothing()
{
    QFETCH(Occupy, occupy);
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    click("Command3");
    const QString list = m_form->listText();
    QVERIFY(occupy(inventoryPath()));
    m_messages.answer = true;
    click("Command4");

    QVERIFY(m_messages.questions.isEmpty());
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY(m_messages.warnings.first().startsWith("Impossibile leggere "));
    QVERIFY(!QFile::exists(m_folder->filePath("pezzarium.txt.bak")));
    QCOMPARE(m_form->listText(), list);
}

void TestForm1::veryLongLinesAreShownUnwrapped()
{
    // Wrapping a line this long would take the text layout minutes.
    writeInventory("[Box]: A1 [Item]: " + QByteArray(200000, 'X') + " [Nr]: 1 [Type]: IC\r\n");
    QVERIFY(m_form->Form_Load());
    auto *list = control<QPlainTextEdit>("Text5");
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::NoWrap);

    QTest::keyClick(control<QLineEdit>("Text4"), Qt::Key_Backspace);
    QTest::keyClicks(control<QLineEdit>("Text4"), "zzz");
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // Back to the kept inventory, unwrapped again; then to the search result.
    control<QLineEdit>("Text4")->selectAll();
    QTest::keyClick(control<QLineEdit>("Text4"), Qt::Key_Delete);
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(list->document()->firstBlock().text().size(), 200000 + 37);
    QTest::keyClicks(control<QLineEdit>("Text4"), "zzz");
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

void TestForm1::aVeryLongLineAddedTurnsWrappingOff_data()
{
    QTest::addColumn<int>("pastes"); // into the list's last line; 0: inserted by "Inserisci"
    QTest::addColumn<int>("length"); // of the code added
    QTest::addColumn<bool>("wraps");
    QTest::addRow("inserted_long_unwrapped") << 0 << 20000 << false;
    QTest::addRow("inserted_short_wrapped") << 0 << 200 << true;
    // Wrapped, a pasted line of a megabyte would take the layout minutes.
    QTest::addRow("pastedIntoList_long_unwrapped") << 1 << 1000000 << false;
    QTest::addRow("pastedIntoList_short_wrapped") << 1 << 200 << true;
    QTest::addRow("pastedTwiceIntoOneLine_unwrapped") << 2 << 6000 << false;
}

void TestForm1::aVeryLongLineAddedTurnsWrappingOff()
{
    QFETCH(int, pastes);
    QFETCH(int, length);
    QFETCH(bool, wraps);
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    auto *list = control<QPlainTextEdit>("Text5");
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    const QString code(length, u'Y');
    if (pastes == 0) {
        control<QLineEdit>("Text1")->setText("A2");
        control<QLineEdit>("Text2")->setText(code);
        click("Command3");
    }
    list->setFocus();
    list->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(code);
    for (int i = 0; i < pastes; ++i)
        QTest::keySequence(list, QKeySequence::Paste);
    QVERIFY(m_form->listText().contains(code));
    QCOMPARE(list->lineWrapMode(), wraps ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TestForm1::quantityButtonsStep()
{
    QVERIFY(m_form->Form_Load());
    auto *quantity = control<QLineEdit>("Text3");
    click("Command1");
    click("Command1");
    QCOMPARE(quantity->text(), QStringLiteral("2"));
    click("Command2");
    click("Command2");
    click("Command2");
    QCOMPARE(quantity->text(), QStringLiteral("0"));
    quantity->setText("abc");
    click("Command1");
    QCOMPARE(quantity->text(), QStringLiteral("abc"));
}

void TestForm1::insertAppendsAndKeepsBoxAndType()
{
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    QTest::keyClicks(control<QLineEdit>("Text1"), "A1");
    QTest::keyClicks(control<QLineEdit>("Text2"), "BC557");
    control<QLineEdit>("Text3")->setText("12");
    control<QComboBox>("Combo1")->setCurrentIndex(3);
    click("Command3");

    QCOMPARE(m_form->listText(), QString::fromUtf8(TwoRecords.chopped(2))
                                     + "[Box]: A1 [Item]: BC557 [Nr]: 12 [Type]: Transistor\r\n");
    QCOMPARE(control<QLineEdit>("Text1")->text(), QStringLiteral("A1"));
    QCOMPARE(control<QLineEdit>("Text2")->text(), QString());
    QCOMPARE(control<QLineEdit>("Text3")->text(), QStringLiteral("0"));
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("Transistor"));
    QCOMPARE(inventoryBytes(), TwoRecords);
}

void TestForm1::insertWithoutBoxOrCodeChangesNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("item");
    QTest::addRow("empty_box") << "" << "BC547";
    QTest::addRow("empty_code") << "A1" << "";
    QTest::addRow("both_empty") << "" << "";
}

void TestForm1::insertWithoutBoxOrCodeChangesNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, item);
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    control<QLineEdit>("Text1")->setText(box);
    control<QLineEdit>("Text2")->setText(item);
    control<QLineEdit>("Text3")->setText("7");
    control<QLineEdit>("Text3")->setFocus();
    const QString before = m_form->listText();
    control<QPushButton>("Command3")->click();
    QCOMPARE(m_form->listText(), before);
    QCOMPARE(m_messages.informations, QStringList());
    QCOMPARE(m_form->focusWidget(), control<QLineEdit>("Text3"));
    QCOMPARE(control<QLineEdit>("Text1")->text(), box);
    QCOMPARE(control<QLineEdit>("Text2")->text(), item);
    QCOMPARE(control<QLineEdit>("Text3")->text(), QStringLiteral("7"));
}

void TestForm1::typeIsStoredAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("leaveField"); // Tab out of the field before "Inserisci"
    QTest::addRow("startOfAType_notCompleted") << "Tr" << false;
    QTest::addRow("otherCase_keptOnLeaving") << "transistor" << true;
    QTest::addRow("otherCase_keptOnInsert") << "transistor" << false;
    QTest::addRow("listedType_asTyped") << "IC" << true;
}

void TestForm1::typeIsStoredAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(bool, leaveField);
    QVERIFY(m_form->Form_Load());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    control<QLineEdit>("Text1")->setText("A1");
    control<QLineEdit>("Text2")->setText("BC547");
    auto *type = control<QComboBox>("Combo1");
    type->setFocus();
    type->lineEdit()->selectAll();
    QTest::keyClicks(type->lineEdit(), typed);
    if (leaveField)
        QTest::keyClick(type->lineEdit(), Qt::Key_Tab);
    QCOMPARE(type->currentText(), typed);
    click("Command3");
    QCOMPARE(m_form->listText(), "[Box]: A1 [Item]: BC547 [Nr]: 0 [Type]: " + typed + "\r\n");
    QCOMPARE(type->count(), 11);
}

void TestForm1::insertJoinsALastLineWithoutLineEnd()
{
    QVERIFY(m_form->Form_Load());
    control<QPlainTextEdit>("Text5")->setPlainText("nota");
    control<QLineEdit>("Text1")->setText("B");
    control<QLineEdit>("Text2")->setText("C");
    click("Command3");
    QCOMPARE(m_form->listText(), QStringLiteral("nota[Box]: B [Item]: C [Nr]: 0 [Type]: ...\r\n"));
}

void TestForm1::saveWritesTheListAndConfirms()
{
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    control<QLineEdit>("Text1")->setText("Cassetto è");
    control<QLineEdit>("Text2")->setText("LM317");
    click("Command3");
    click("Command4");

    // An ASCII file takes the system's encoding: on Windows its ANSI code page.
#ifdef Q_OS_WIN
    const QByteArray box = "Cassetto \xE8";
#else
    const QByteArray box = "Cassetto \xC3\xA8";
#endif
    QCOMPARE(inventoryBytes(), TwoRecords.chopped(2) + "[Box]: " + box + " [Item]: LM317 [Nr]: 0 [Type]: ...\r\n\r\n");
    QCOMPARE(m_messages.informations,
             QStringList("Archivio salvato in "
                         + QDir::toNativeSeparators(inventoryPath())));
    QVERIFY(m_messages.warnings.isEmpty());
}

void TestForm1::saveFailureKeepsFileListAndWindow()
{
    QVERIFY(m_form->Form_Load());
    QVERIFY(QDir(m_folder->path()).mkdir("pezzarium.txt"));
    control<QLineEdit>("Text1")->setText("A1");
    control<QLineEdit>("Text2")->setText("BC547");
    click("Command3");
    const QString before = m_form->listText();
    m_form->show();
    click("Command4");

    QVERIFY(QFileInfo(inventoryPath()).isDir());
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY(m_messages.warnings.first().startsWith("Impossibile salvare "
                                                   + QDir::toNativeSeparators(inventoryPath())));
    QVERIFY(m_messages.informations.isEmpty());
    QCOMPARE(m_form->listText(), before);
    QVERIFY(m_form->isVisible());
}

void TestForm1::backupNotRefreshedIsToldAfterTheConfirmation()
{
    writeInventory(TwoRecords);
    QVERIFY(QDir(m_folder->path()).mkdir("pezzarium.txt.bak"));
    QVERIFY(m_form->Form_Load());
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    click("Command3");
    click("Command4");

    QCOMPARE(inventoryBytes(), m_form->listText().toUtf8() + "\r\n");
    QCOMPARE(m_messages.informations, QStringList("Archivio salvato in " + QDir::toNativeSeparators(inventoryPath())));
    QCOMPARE(m_messages.warnings,
             QStringList("La copia di sicurezza " + QDir::toNativeSeparators(inventoryPath() + ".bak")
                         + " è più vecchia di questo salvataggio: non è stato possibile aggiornarla "
                           "(non è un file ordinario (è una cartella o un dispositivo))."));

    // "Aggiorna" has no confirmation: the warning alone.
    m_messages = {};
    QTest::mouseClick(control<QPlainTextEdit>("Text5")->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    click("Command6");
    QCOMPARE(m_messages.informations, QStringList());
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY(m_messages.warnings.first().startsWith("La copia di sicurezza "));
}

void TestForm1::reasonsAreWordedInItalian_data()
{
    // A failure as the library reports it (most with the system's code), and
    // what the user reads.
    QTest::addColumn<Inventory::FileError>("error");
    QTest::addColumn<QString>("reason");
    using Inventory::SystemError;
#ifdef Q_OS_WIN
    QTest::addRow("accessDenied") << SystemError(ERROR_ACCESS_DENIED) << "permesso negato";
    QTest::addRow("writeProtected") << SystemError(ERROR_WRITE_PROTECT) << "il disco è di sola lettura";
    QTest::addRow("diskFull") << SystemError(ERROR_DISK_FULL) << "spazio esaurito sul disco";
    QTest::addRow("sharingViolation") << SystemError(ERROR_SHARING_VIOLATION)
                                      << "il file è in uso da parte di un altro programma";
    QTest::addRow("pathNotFound") << SystemError(ERROR_PATH_NOT_FOUND) << "il file o la cartella non esiste";
    QTest::addRow("cannotResolve") << SystemError(ERROR_CANT_RESOLVE_FILENAME)
                                   << "troppi collegamenti simbolici, o un ciclo di collegamenti";
    QTest::addRow("nameTooLong") << SystemError(ERROR_FILENAME_EXCED_RANGE) << "il nome del file è troppo lungo";
#else
    QTest::addRow("permissionDenied") << SystemError(EACCES) << "permesso negato";
    QTest::addRow("notPermitted") << SystemError(EPERM) << "permesso negato";
    QTest::addRow("readOnlyFileSystem") << SystemError(EROFS) << "il disco è di sola lettura";
    QTest::addRow("noSpace") << SystemError(ENOSPC) << "spazio esaurito sul disco";
    QTest::addRow("busy") << SystemError(EBUSY) << "il file è in uso da parte di un altro programma";
    QTest::addRow("notFound") << SystemError(ENOENT) << "il file o la cartella non esiste";
    QTest::addRow("loop") << SystemError(ELOOP) << "troppi collegamenti simbolici, o un ciclo di collegamenti";
    QTest::addRow("nameTooLong") << SystemError(ENAMETOOLONG) << "il nome del file è troppo lungo";
    // Any other in the system's words, with its code.
    QTest::addRow("other_systemsWords") << SystemError(EIO)
                                        << QString::fromLocal8Bit(strerror(EIO)) + " (errore di sistema 5)";
#endif
    using Inventory::FileProblem, Inventory::LargestInventory;
    QTest::addRow("tooLarge_roundedSizes") << Inventory::FileError{FileProblem::TooLarge, 0, {}, qint64(64) << 30, LargestInventory}
                                           << "il file è troppo grande (64,00 GiB; al massimo 256,00 MiB)";
    QTest::addRow("tooLarge_exactSizesWhenTheyRoundAlike")
        << Inventory::FileError{FileProblem::TooLarge, 0, {}, LargestInventory + 2, LargestInventory}
        << "il file è troppo grande (256,00 MiB (268.435.458 byte); al massimo 256,00 MiB (268.435.456 byte))";
}

void TestForm1::reasonsAreWordedInItalian()
{
    QFETCH(Inventory::FileError, error);
    QFETCH(QString, reason);
    QCOMPARE(FailureReason(error), reason);
}

void TestForm1::twoWindowsOnOneFolderLeaveCompleteFiles()
{
    writeInventory(TwoRecords);
    QVERIFY(m_form->Form_Load());
    RecordingMessages otherMessages;
    Form1 other(m_folder->path(), otherMessages);
    QVERIFY(other.Form_Load());
    otherMessages.answer = true;

    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    click("Command3");
    click("Command4");
    const QByteArray first = m_form->listText().toUtf8() + "\r\n";
    QCOMPARE(inventoryBytes(), first);

    // The second window saw the file before the first one saved: it asks, and
    // its answer decides whose complete list the file holds.
    QTest::mouseClick(other.findChild<QPushButton *>("Command4"), Qt::LeftButton);
    QCOMPARE(otherMessages.questions.size(), 1);
    QCOMPARE(inventoryBytes(), other.listText().toUtf8() + "\r\n");
    QCOMPARE(QFile(m_folder->filePath("pezzarium.txt.bak")).size(), first.size());
}

void TestForm1::saveAsksBeforeOverwritingAnotherProgramsChange_data()
{
    QTest::addColumn<QByteArray>("onDisk"); // what another program leaves; null: removed
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("sameStamp"); // same size and modification time as before

    QTest::addRow("rewritten_answer_no_keeps_file") << QByteArray("altro\r\n") << false << true << false << false;
    QTest::addRow("rewritten_answer_yes_overwrites") << QByteArray("altro\r\n") << true << true << true << false;
    QTest::addRow("same_text_rewritten_no_question") << TwoRecords << false << false << true << false;
    QTest::addRow("removed_written_again") << QByteArray() << false << false << true << false;
    QByteArray sameSize = TwoRecords;
    sameSize.replace("12", "13");
    QTest::addRow("same_size_and_time_still_asks") << sameSize << false << true << false << true;
}

void TestForm1::saveAsksBeforeOverwritingAnotherProgramsChange()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, written);
    QFETCH(bool, sameStamp);

    writeInventory(TwoRecords, AnHourAgo());
    QVERIFY(m_form->Form_Load());
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    click("Command3");
    const QString list = m_form->listText();

    // Another program saves in between.
    const QDateTime seen = QFileInfo(inventoryPath()).lastModified();
    QFile::remove(inventoryPath());
    if (!onDisk.isNull())
        writeInventory(onDisk, sameStamp ? seen : QDateTime::currentDateTime().addSecs(5));
    m_messages.answer = answer;
    click("Command4");

    QCOMPARE(m_messages.questions.size(), asked ? 1 : 0);
    QCOMPARE(inventoryBytes(), written ? list.toUtf8() + "\r\n" : onDisk);
    QCOMPARE(m_form->listText(), list);
}

void TestForm1::questionIsNotAnsweredByATypedLetter_data()
{
    QTest::addColumn<int>("key");
    // The mnemonics of Yes and No, in English and in Italian ("Sì").
    QTest::addRow("Y") << int(Qt::Key_Y);
    QTest::addRow("N") << int(Qt::Key_N);
    QTest::addRow("S") << int(Qt::Key_S);
}

void TestForm1::questionIsNotAnsweredByATypedLetter()
{
    QFETCH(int, key);
    // In Italian where Qt's translation is at hand, as the program shows it.
    QTranslator italian;
    if (italian.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&italian);
    const auto removeItalian = qScopeGuard([&italian] { QCoreApplication::removeTranslator(&italian); });
    // Built, never shown: a letter typed into it must click nothing.
    const std::unique_ptr<QMessageBox> box = QuestionBox(nullptr, QStringLiteral("Continuare?"));
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
    QTest::keyClick(box.get(), Qt::Key(key));
    QTest::qWait(250); // a mnemonic clicks its button after a short animation
    QCOMPARE(box->clickedButton(), nullptr);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
