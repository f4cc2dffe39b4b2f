#include "formfixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QStringEncoder>
#include <QTextBlock>
#include <QtEndian>
#include <QtTest>

namespace {

const QString Transistor = QStringLiteral("[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor");
const QString Diode = QStringLiteral("[Box]: A2 [Item]: 1N4148 [Nr]: 5 [Type]: Varie");
const QString Chip = QStringLiteral("[Box]: Cassetto 3 [Item]: NE555 [Nr]: 2 [Type]: IC");

QByteArray Saved(const QStringList &lines)
{
    return (lines.join("\r\n") + "\r\n\r\n").toUtf8();
}

// A file in the form a save writes: each line and one more CR LF, in
// encoding, unit by unit (lone surrogates included) for UTF-16.
QByteArray InForm(const QStringList &lines, QStringConverter::Encoding encoding)
{
    const QString text = lines.join("\r\n") + "\r\n\r\n";
    if (encoding == QStringConverter::Utf16LE) {
        QByteArray bytes(2 + 2 * text.size(), Qt::Uninitialized);
        bytes[0] = '\xFF';
        bytes[1] = '\xFE';
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data() + 2);
        return bytes;
    }
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

class TestEditing;
// Something the user does to the window.
using Action = void (*)(TestEditing &);
Q_DECLARE_METATYPE(Action)

// Clicking, updating and searching, driven through the real window.
class TestEditing : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init();
    void clickFillsFieldsAndUpdateReplacesTheRecord();
    void plainSaveWritesTheSameBytes_data();
    void plainSaveWritesTheSameBytes();
    void updateReplacesEveryLineThatIsTheRecord_data();
    void updateReplacesEveryLineThatIsTheRecord();
    void clickOutsideARecordChangesNothing_data();
    void clickOutsideARecordChangesNothing();
    void searchShowsMatchingLinesOfTheFile_data();
    void searchShowsMatchingLinesOfTheFile();
    void searchWithoutFileEmptiesListAndKeepsText();
    void saveRefusesASearchResultUntilSearchIsEmptied();
    void updateOnASearchResultKeepsOtherRecordsInTheFile();
    void updateOfARecordNoLongerThereWritesNothing_data();
    void updateOfARecordNoLongerThereWritesNothing();
    void updateOnASearchResultAsksAfterAnotherProgramsChange_data();
    void updateOnASearchResultAsksAfterAnotherProgramsChange();
    void updateOfAVeryLongValueChangesThatLine();
    void lineBreaksPastedIntoAFieldBecomeSpaces_data();
    void searchShowsExactlyItsResultRebuildingOnlyWhenNeeded_data();
    void searchShowsExactlyItsResultRebuildingOnlyWhenNeeded();
    void lineBreaksPastedIntoAFieldBecomeSpaces();
    void aSeparatorAlreadyInAValueStaysWhenTheFieldIsEdited();
    void unsavedLinesGoWithoutQuestion_data();
    void unsavedLinesGoWithoutQuestion();
    void insertOnASearchResultIsRefusedAndKeepsTheFields();
    void updateWithoutASelectionOnlyClearsTheFields_data();
    void updateWithoutASelectionOnlyClearsTheFields();

private:
    void start(const QByteArray &inventory);
    void clickListLine(int line, int column);
    void search(const QString &text);
    QStringList fieldTexts();
};

void TestEditing::init()
{
    resetFolder();
}

void TestEditing::start(const QByteArray &inventory)
{
    if (!inventory.isNull())
        writeInventory(inventory);
    createForm();
    QVERIFY(m_form->Form_Load());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestEditing::clickListLine(int line, int column)
{
    auto *list = control<QPlainTextEdit>("Text5");
    const QTextBlock block = list->document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + column);
    list->ensureCursorVisible();
    const QRect caret = list->cursorRect(cursor);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, caret.center() + QPoint(1, 0));
}

void TestEditing::search(const QString &text)
{
    auto *field = control<QLineEdit>("Text4");
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

QStringList TestEditing::fieldTexts()
{
    return {control<QLineEdit>("Text1")->text(), control<QLineEdit>("Text2")->text(),
            control<QLineEdit>("Text3")->text(), control<QComboBox>("Combo1")->currentText()};
}

void TestEditing::clickFillsFieldsAndUpdateReplacesTheRecord()
{
    start(Saved({Transistor, Diode, Chip}));
    clickListLine(1, 20);
    QCOMPARE(fieldTexts(), QStringList({"A2", "1N4148", "5", "Varie"}));

    control<QLineEdit>("Text3")->setText("6");
    click("Command6");
    const QString updated = "[Box]: A2 [Item]: 1N4148 [Nr]: 6 [Type]: Varie";
    QCOMPARE(m_form->listText(), QStringList({Transistor, updated, Chip, ""}).join("\r\n"));
    QCOMPARE(inventoryBytes(), Saved({Transistor, updated, Chip}));
    QCOMPARE(fieldTexts(), QStringList({"", "", "0", "..."}));

    // A second press without a new click writes nothing.
    writeInventory("scritto da un altro programma\r\n");
    control<QLineEdit>("Text1")->setText("X");
    click("Command6");
    QCOMPARE(inventoryBytes(), QByteArray("scritto da un altro programma\r\n"));
    QCOMPARE(fieldTexts(), QStringList({"", "", "0", "..."}));
    QVERIFY(m_messages.informations.isEmpty());
    QVERIFY(m_messages.warnings.isEmpty());
}

// Whatever the file's encoding and whatever its values hold, a "Salva" with
// no edit, and an "Aggiorna" of a clicked line left as it was, write the
// bytes that were read.
void TestEditing::plainSaveWritesTheSameBytes_data()
{
    const QString other = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor";
    const auto withBox = [&](const QString &box) {
        return QStringList{"[Box]: " + box + " [Item]: X [Nr]: 1 [Type]: T", other};
    };
    const QStringList accents = withBox("Caffè Ω 😀");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("utf8") << Saved(accents);
    QTest::addRow("utf8Bom") << "\xEF\xBB\xBF" + Saved(accents);
    QTest::addRow("utf16LittleEndian") << InForm(accents, QStringConverter::Utf16LE);
    QTest::addRow("utf16BigEndian") << InForm(accents, QStringConverter::Utf16BE);
    QTest::addRow("utf32LittleEndian") << InForm(accents, QStringConverter::Utf32LE);
    QTest::addRow("utf32BigEndian") << InForm(accents, QStringConverter::Utf32BE);
    QTest::addRow("utf16WithoutMark") << InForm(accents, QStringConverter::Utf16LE).sliced(2);
    QTest::addRow("eightBit") << Saved(withBox("Caff?")).replace('?', '\xE8');
    QTest::addRow("eightBitThatLooksLikeUtf8") << Saved(withBox("x?")).replace('?', "\xC3\xA9\xE8");
    QTest::addRow("mixedLines") << Saved({"[Box]: Caff? [Item]: X [Nr]: 1 [Type]: T", accents[0]}).replace('?', '\xE8');
    QTest::addRow("mixedLinesWithBom") << "\xEF\xBB\xBF" + Saved({"[Box]: Caff? [Item]: X [Nr]: 1 [Type]: T", other}).replace('?', '\xE8');
    QTest::addRow("lineSeparator") << Saved(withBox(QStringLiteral(u"C\u2028D")));
    QTest::addRow("paragraphSeparator") << Saved(withBox(QStringLiteral(u"C\u2029D")));
    QTest::addRow("frameMarkers") << Saved(withBox(QStringLiteral(u"C\uFDD0D\uFDD1E")));
    QTest::addRow("privateUseLikeTheStandIns") << Saved(withBox(QStringLiteral(u"\uE000\uE001\uE000\uE003")));
    QTest::addRow("nul") << Saved(withBox(QString::fromUtf16(u"C\0D", 3)));
    QTest::addRow("loneSurrogate") << InForm(withBox(QString(QChar(0xD800)) + "x"), QStringConverter::Utf16LE);
    QTest::addRow("byteOrderMarkAsCharacter") << "\xEF\xBB\xBF" + Saved({QChar(0xFEFF) + accents[0], other});
    QTest::addRow("markerTextInAValue") << Saved(withBox("Q [Item]: [Box]: A"));
}

void TestEditing::plainSaveWritesTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    start(bytes);
    click("Command4");
    QCOMPARE(m_messages.informations.size(), 1); // "Archivio salvato in ..."
    QCOMPARE(inventoryBytes(), bytes);
    QCOMPARE(control<QPlainTextEdit>("Text5")->blockCount(), 3); // two records and the empty line
    clickListLine(0, 1);
    QVERIFY(!fieldTexts().at(0).isEmpty());
    click("Command6");
    QVERIFY(m_messages.warnings.isEmpty());
    QCOMPARE(inventoryBytes(), bytes);
}

void TestEditing::updateReplacesEveryLineThatIsTheRecord_data()
{
    const QString endsLikeIt = "[Box]: Q [Item]: [Box]: A [Item]: B [Nr]: 1 [Type]: T";
    const QString record = "[Box]: A [Item]: B [Nr]: 1 [Type]: T";
    const QString updated = "[Box]: A [Item]: B [Nr]: 1 [Type]: Diodo";
    QTest::addColumn<QStringList>("lines"); // the last one without line end
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("duplicate_bothChanged") << QStringList{record, "x", record, record} << 0
                                           << QStringList{updated, "x", updated, record};
    QTest::addRow("lineEndingWithTheRecord_untouched") << QStringList{endsLikeIt, record, ""} << 1
                                                       << QStringList{endsLikeIt, updated, ""};
    QTest::addRow("textBeforeTheRecord_keptOnThatLineOnly") << QStringList{record, "nota " + record, ""} << 1
                                                            << QStringList{record, "nota " + updated, ""};
}

void TestEditing::updateReplacesEveryLineThatIsTheRecord()
{
    QFETCH(QStringList, lines);
    QFETCH(int, clicked);
    QFETCH(QStringList, expected);
    start({});
    control<QPlainTextEdit>("Text5")->setPlainText(lines.join("\r\n"));
    clickListLine(clicked, 0);
    control<QComboBox>("Combo1")->setEditText("Diodo");
    click("Command6");
    QCOMPARE(m_form->listText(), expected.join("\r\n"));
    QCOMPARE(inventoryBytes(), (expected.join("\r\n") + "\r\n").toUtf8());
}

void TestEditing::clickOutsideARecordChangesNothing_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("line");

    QTest::addRow("empty_line") << Transistor + "\r\n\r\n" + Diode + "\r\n" << 1;
    QTest::addRow("line_without_box_marker") << Transistor + "\r\nappunti vari\r\n" << 1;
    QTest::addRow("last_line_without_line_end") << Transistor + "\r\n" + Diode << 1;
    QTest::addRow("type_marker_without_space") << Diode.chopped(6) + "\r\n" << 0;
}

void TestEditing::clickOutsideARecordChangesNothing()
{
    QFETCH(QString, list);
    QFETCH(int, line);
    start({});
    control<QPlainTextEdit>("Text5")->setPlainText(list);
    clickListLine(0, 3);
    if (line == 0)
        control<QLineEdit>("Text1")->setText("prima");
    const QStringList before = fieldTexts();

    clickListLine(line, 0);
    QCOMPARE(fieldTexts(), before);
    // Nothing was selected by that click, so an update must not write the file.
    if (line == 0) {
        click("Command6");
        QCOMPARE(inventoryBytes(), Unreadable);
    }
}

void TestEditing::searchShowsMatchingLinesOfTheFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("lines");

    QTest::addRow("code_matches") << "BC547" << "BC547" << QStringList{Transistor};
    QTest::addRow("lower_case_retried_in_upper") << "bc547" << "BC547" << QStringList{Transistor};
    QTest::addRow("no_match_turns_upper") << "zzz" << "ZZZ" << QStringList{};
    QTest::addRow("digits_without_match_stay") << "123" << "123" << QStringList{};
    QTest::addRow("marker_matches_every_record") << "Nr" << "Nr" << QStringList{Transistor, Diode, Chip};
    QTest::addRow("space_inside_value") << "Cassetto 3" << "Cassetto 3" << QStringList{Chip};
    QTest::addRow("empty_shows_every_record") << "" << "" << QStringList{Transistor, Diode, Chip};
}

void TestEditing::searchShowsMatchingLinesOfTheFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QStringList, lines);

    start(Saved({Transistor, Diode, Chip}));
    // The list was edited but not saved: a search shows the file, not the list.
    control<QPlainTextEdit>("Text5")->appendPlainText("non salvato");
    search(typed);

    auto *text4 = control<QLineEdit>("Text4");
    QCOMPARE(text4->text(), field);
    QCOMPARE(text4->cursorPosition(), field.size());
    QString expected;
    for (const QString &line : lines)
        expected += line + "\r\n";
    QCOMPARE(m_form->listText(), expected);
}

void TestEditing::searchWithoutFileEmptiesListAndKeepsText()
{
    start({});
    control<QPlainTextEdit>("Text5")->setPlainText("bozza");
    search("abc");
    QCOMPARE(control<QLineEdit>("Text4")->text(), QStringLiteral("abc"));
    QCOMPARE(m_form->listText(), QString());
}

void TestEditing::saveRefusesASearchResultUntilSearchIsEmptied()
{
    const QByteArray inventory = Saved({Transistor, Diode, Chip});
    start(inventory);
    search("...");
    click("Command4");
    QCOMPARE(inventoryBytes(), inventory);
    QCOMPARE(m_messages.informations.size(), 1);
    QVERIFY(m_messages.informations.first().contains("Ricerca"));

    search("");
    QVERIFY(!m_form->listShowsSearchResult());
    click("Command4");
    QCOMPARE(inventoryBytes(), inventory);
    QCOMPARE(m_messages.informations.size(), 2);
    QVERIFY(m_messages.informations.last().startsWith("Archivio salvato in "));
}

void TestEditing::updateOnASearchResultKeepsOtherRecordsInTheFile()
{
    start(Saved({Transistor, Diode, Chip, Diode}));
    search("1N4148");
    QCOMPARE(m_form->listText(), Diode + "\r\n" + Diode + "\r\n");
    clickListLine(0, 10);
    control<QLineEdit>("Text2")->setText("1N4007");
    click("Command6");

    const QString updated = "[Box]: A2 [Item]: 1N4007 [Nr]: 5 [Type]: Varie";
    QCOMPARE(m_form->listText(), updated + "\r\n" + updated + "\r\n");
    QCOMPARE(inventoryBytes(), Saved({Transistor, updated, Chip, updated}));
    QVERIFY(m_messages.warnings.isEmpty());
}

void TestEditing::updateOfARecordNoLongerThereWritesNothing_data()
{
    QTest::addColumn<QByteArray>("inventory");
    QTest::addColumn<QString>("searched"); // empty: the whole list
    QTest::addColumn<QString>("typedLine"); // typed into the list, then clicked
    QTest::addColumn<QByteArray>("otherProgram"); // written after the click; null: nothing

    const QByteArray three = Saved({Transistor, Diode, Chip});
    QTest::addRow("searchResult_recordChangedByAnotherProgram")
        << three << "1N4148" << QString() << Saved({Transistor, Chip});
    QTest::addRow("searchResult_lineTypedIntoIt") << three << "1N4148" << Transistor.chopped(2) + "CI"
                                                  << QByteArray();
    QTest::addRow("wholeList_handEditedLineReadsBackOtherwise")
        << QByteArray("[Box]: A1 [Item]: BC547 [Nr]:12 [Type]: Transistor\r\n\r\n") << QString() << QString()
        << QByteArray();
    QTest::addRow("searchResult_handEditedLineReadsBackOtherwise")
        << QByteArray("[Box]: A1 [Item]: BC547 [Nr]:12 [Type]: Transistor\r\n\r\n") << "BC547" << QString()
        << QByteArray();
}

void TestEditing::updateOfARecordNoLongerThereWritesNothing()
{
    QFETCH(QByteArray, inventory);
    QFETCH(QString, searched);
    QFETCH(QString, typedLine);
    QFETCH(QByteArray, otherProgram);

    start(inventory);
    if (!searched.isEmpty())
        search(searched);
    if (!typedLine.isEmpty())
        control<QPlainTextEdit>("Text5")->appendPlainText(typedLine);
    const int line = typedLine.isEmpty() ? 0 : control<QPlainTextEdit>("Text5")->blockCount() - 1;
    control<QPlainTextEdit>("Text5")->appendPlainText(QString()); // every line ended
    clickListLine(line, 10);
    QVERIFY(!fieldTexts().first().isEmpty());
    control<QLineEdit>("Text3")->setText("99");
    const QStringList edited = fieldTexts();
    const QString list = m_form->listText();
    if (!otherProgram.isNull())
        writeInventory(otherProgram);
    m_messages.answer = true;
    const QByteArray onDisk = inventoryBytes();

    click("Command6");
    QCOMPARE(inventoryBytes(), onDisk);
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY(m_messages.warnings.first().contains("non è più nell'archivio"));
    QCOMPARE(fieldTexts(), edited);
    QCOMPARE(m_form->listText(), list);
}

void TestEditing::updateOnASearchResultAsksAfterAnotherProgramsChange_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addRow("no_nothingWritten") << false;
    QTest::addRow("yes_changeWrittenIntoTheirFile") << true;
}

void TestEditing::updateOnASearchResultAsksAfterAnotherProgramsChange()
{
    QFETCH(bool, answer);
    start(Saved({Transistor, Diode}));
    search("1N4148");
    clickListLine(0, 10);
    control<QLineEdit>("Text3")->setText("6");
    const QStringList edited = fieldTexts();
    const QString list = m_form->listText();
    const QByteArray theirs = Saved({Transistor, Diode, Chip});
    writeInventory(theirs);
    m_messages.answer = answer;

    click("Command6");
    QCOMPARE(m_messages.questions.size(), 1);
    QVERIFY(m_messages.warnings.isEmpty());
    if (answer) {
        QCOMPARE(inventoryBytes(), Saved({Transistor, "[Box]: A2 [Item]: 1N4148 [Nr]: 6 [Type]: Varie", Chip}));
    } else {
        QCOMPARE(inventoryBytes(), theirs);
        QCOMPARE(fieldTexts(), edited);
        QCOMPARE(m_form->listText(), list);
    }
}

void TestEditing::updateOfAVeryLongValueChangesThatLine()
{
    // Two records whose codes agree in their first 32,767 characters: a field
    // that cut the value there would make the update hit the other one.
    const QString cut(32767, u'R');
    const QString longer = cut + QString(233, u'S');
    const QString shortRecord = "[Box]: A1 [Item]: " + cut + " [Nr]: 1 [Type]: IC";
    const QString longRecord = "[Box]: A1 [Item]: " + longer + " [Nr]: 1 [Type]: IC";
    start(Saved({shortRecord, longRecord}));
    clickListLine(1, 10);
    QCOMPARE(control<QLineEdit>("Text2")->text(), longer);
    control<QLineEdit>("Text3")->setText("2");
    click("Command6");
    QCOMPARE(inventoryBytes(), Saved({shortRecord, "[Box]: A1 [Item]: " + longer + " [Nr]: 2 [Type]: IC"}));
}

void TestEditing::lineBreaksPastedIntoAFieldBecomeSpaces_data()
{
    QTest::addColumn<QString>("field");
    QTest::addRow("Text1") << "Text1";
    QTest::addRow("Text2") << "Text2";
    QTest::addRow("Text3") << "Text3";
    QTest::addRow("Combo1") << "Combo1";
    QTest::addRow("Text4") << "Text4";
}

void TestEditing::lineBreaksPastedIntoAFieldBecomeSpaces()
{
    QFETCH(QString, field);
    start({});
    QLineEdit *edit = field == "Combo1" ? control<QComboBox>("Combo1")->lineEdit()
                                        : control<QLineEdit>(field.toLatin1().constData());
    edit->setFocus();
    edit->clear();
    // A frame marker is no line break for the user: it stays, and the list
    // keeps it inside the record.
    QGuiApplication::clipboard()->setText(QStringLiteral(u"BC547\r\nTO\uFDD0-92\n"));
    QTest::keySequence(edit, QKeySequence::Paste);
    QCOMPARE(edit->text(), QStringLiteral(u"BC547 TO\uFDD0-92 "));
    QCOMPARE(edit->cursorPosition(), 13);
    if (field == "Text4")
        return;
    control<QLineEdit>("Text1")->setText(control<QLineEdit>("Text1")->text() + "A");
    control<QLineEdit>("Text2")->setText(control<QLineEdit>("Text2")->text() + "B");
    click("Command3");
    QCOMPARE(control<QPlainTextEdit>("Text5")->blockCount(), 2); // the record and the empty line after it
    QVERIFY(m_form->listText().contains(QChar(0xFDD0)));
}

void TestEditing::aSeparatorAlreadyInAValueStaysWhenTheFieldIsEdited()
{
    const QString box = QStringLiteral(u"C\u2029D");
    start(Saved({"[Box]: " + box + " [Item]: X [Nr]: 1 [Type]: T"}));
    clickListLine(0, 1);
    auto *field = control<QLineEdit>("Text1");
    field->setFocus();
    field->end(false);
    QTest::keyClicks(field, "E");
    click("Command6");
    QCOMPARE(inventoryBytes(), Saved({"[Box]: " + box + "E [Item]: X [Nr]: 1 [Type]: T"}));
}

void TestEditing::searchShowsExactlyItsResultRebuildingOnlyWhenNeeded_data()
{
    // In this order: the list edited, a first search, the file rewritten by
    // another program, the last search.
    QTest::addColumn<bool>("listEdited");
    QTest::addColumn<QString>("firstSearch"); // null: none
    QTest::addColumn<bool>("fileRewritten");
    QTest::addColumn<QString>("lastSearch");
    QTest::addColumn<QStringList>("lines"); // what the list shows at the end
    QTest::addColumn<bool>("caretKept"); // the last search left the list as it was

    const QStringList all = {Transistor, Diode, Chip};
    const QString none;
    QTest::addRow("everyLineMatches_listLeftAsItIs") << false << none << false << "N" << all << true;
    QTest::addRow("narrowThenEmpty_inventoryShownAgain") << false << "NE555" << false << "" << all << false;
    QTest::addRow("narrowThenBroad_inventoryShownAgain") << false << "NE555" << false << "[" << all << false;
    QTest::addRow("listEdited_rebuiltFromTheFile") << true << "NE555" << false << "" << all << false;
    QTest::addRow("fileRewritten_rebuiltFromTheFile") << false << "NE555" << true << ""
                                                      << QStringList{Transistor, Chip} << false;
    QTest::addRow("sameResultTwice_leftAsItIs") << false << "A" << false << "A" << QStringList{Transistor, Diode}
                                                << true;
}

void TestEditing::searchShowsExactlyItsResultRebuildingOnlyWhenNeeded()
{
    QFETCH(bool, listEdited);
    QFETCH(QString, firstSearch);
    QFETCH(bool, fileRewritten);
    QFETCH(QString, lastSearch);
    QFETCH(QStringList, lines);
    QFETCH(bool, caretKept);

    start(Saved({Transistor, Diode, Chip}));
    auto *list = control<QPlainTextEdit>("Text5");
    if (listEdited)
        list->appendPlainText("non salvato");
    if (!firstSearch.isNull())
        search(firstSearch);
    if (fileRewritten)
        writeInventory(Saved({Transistor, Chip}));
    QTextCursor caret = list->textCursor();
    caret.setPosition(20);
    list->setTextCursor(caret);
    search(lastSearch);

    QString expected;
    for (const QString &line : lines)
        expected += line + "\r\n";
    QCOMPARE(m_form->listText(), expected);
    QCOMPARE(list->textCursor().position() == 20, caretKept);
    QCOMPARE(list->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

void TestEditing::unsavedLinesGoWithoutQuestion_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("closes");
    QTest::addRow("exit_closesWithoutWriting") << Action([](TestEditing &t) { t.click("Command5"); }) << true;
    QTest::addRow("closeBox_closesWithoutWriting") << Action([](TestEditing &t) { t.m_form->close(); }) << true;
    QTest::addRow("search_showsTheFile") << Action([](TestEditing &t) { t.search("NE555"); }) << false;
}

void TestEditing::unsavedLinesGoWithoutQuestion()
{
    QFETCH(Action, action);
    QFETCH(bool, closes);
    const QByteArray inventory = Saved({Transistor, Diode, Chip});
    start(inventory);
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("NE555P");
    click("Command3");
    control<QPlainTextEdit>("Text5")->appendPlainText("appunto NE555");
    m_messages.answer = false; // a question would keep the lines

    action(*this);
    QCOMPARE(m_messages.questions, QStringList());
    QCOMPARE(inventoryBytes(), inventory);
    QCOMPARE(m_form->isVisible(), !closes);
    if (!closes)
        QCOMPARE(m_form->listText(), Chip + "\r\n");
}

void TestEditing::insertOnASearchResultIsRefusedAndKeepsTheFields()
{
    start(Saved({Transistor, Diode, Chip}));
    search("1N4148");
    const QString list = m_form->listText();
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    const QStringList entered = fieldTexts();
    click("Command3");
    QCOMPARE(m_messages.informations.size(), 1);
    QVERIFY(m_messages.informations.first().contains("Ricerca"));
    QCOMPARE(fieldTexts(), entered);
    QCOMPARE(m_form->listText(), list);

    // With the whole inventory back, the same fields go in.
    search("");
    click("Command3");
    QCOMPARE(m_form->listText(), QStringList({Transistor, Diode, Chip, "[Box]: A3 [Item]: BD139 [Nr]: 0 [Type]: ...", ""}).join("\r\n"));
}

void TestEditing::updateWithoutASelectionOnlyClearsTheFields_data()
{
    QTest::addColumn<int>("clickedLine"); // before the fields were filled; -1: none
    QTest::addColumn<bool>("updated"); // the clicked record was updated already
    QTest::addRow("neverSelected") << -1 << false;
    QTest::addRow("afterAnUpdate") << 0 << true;
    QTest::addRow("clickOnALineWithoutRecord") << 1 << false;
}

void TestEditing::updateWithoutASelectionOnlyClearsTheFields()
{
    QFETCH(int, clickedLine);
    QFETCH(bool, updated);
    const QByteArray inventory = Saved({Transistor, "appunti vari", Diode});
    start(inventory);
    if (clickedLine >= 0)
        clickListLine(clickedLine, 3);
    if (updated)
        click("Command6");
    const QByteArray onDisk = inventoryBytes();
    const QString list = m_form->listText();
    control<QLineEdit>("Text1")->setText("A9");
    control<QLineEdit>("Text2")->setText("LM317");
    control<QLineEdit>("Text3")->setText("4");

    click("Command6");
    QCOMPARE(m_messages.warnings, QStringList());
    QCOMPARE(m_messages.informations, QStringList());
    QCOMPARE(fieldTexts(), QStringList({"", "", "0", "..."}));
    QCOMPARE(m_form->listText(), list);
    QCOMPARE(inventoryBytes(), onDisk);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
