#include "entrycommands.h"

#include <QTest>

using namespace Inventory;

class TestEntryCommands : public QObject
{
    Q_OBJECT

private slots:
    void stepQuantity_data()
    {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::addRow("integer_stepped") << "12" << "13" << "11";
        QTest::addRow("zero_noStepBelow") << "0" << "1" << "0";
        QTest::addRow("one_downToZero") << "1" << "2" << "0";
        QTest::addRow("word_unchanged") << "abc" << "abc" << "abc";
        QTest::addRow("empty_unchanged") << "" << "" << "";
        QTest::addRow("outerSpaces_stepped") << " 7 " << "8" << "6";
        QTest::addRow("negative_upOnly") << "-5" << "-4" << "-5";
        QTest::addRow("decimal_stepped") << "1.5" << "2.5" << "0.5";
        QTest::addRow("exponent_plainNumber") << "1e3" << "1001" << "999";
        QTest::addRow("fifteenNines_upUnchanged") << "999999999999999" << "999999999999999" << "999999999999998";
        QTest::addRow("huge_unchanged") << "1e300" << "1e300" << "1e300";
        QTest::addRow("infinity_unchanged") << "inf" << "inf" << "inf";
        QTest::addRow("notANumber_unchanged") << "nan" << "nan" << "nan";
        QTest::addRow("innerSpace_unchanged") << "1 2" << "1 2" << "1 2";
        QTest::addRow("groupSeparator_unchanged") << "1,000" << "1,000" << "1,000";
    }
    void stepQuantity()
    {
        QFETCH(QString, quantity);
        QFETCH(QString, up);
        QFETCH(QString, down);
        QCOMPARE(StepQuantity(quantity, +1), up);
        QCOMPARE(StepQuantity(quantity, -1), down);
    }

    void insertedRecord_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("record"); // empty: nothing inserted
        QTest::addRow("boxAndItem_composed") << "A1" << "BC547" << "[Box]: A1 [Item]: BC547 [Nr]: 3 [Type]: T\r\n";
        QTest::addRow("emptyBox_nothing") << "" << "BC547" << "";
        QTest::addRow("emptyItem_nothing") << "A1" << "" << "";
        QTest::addRow("spacesBox_composed") << "  " << "BC547" << "[Box]:    [Item]: BC547 [Nr]: 3 [Type]: T\r\n";
    }
    void insertedRecord()
    {
        QFETCH(QString, box);
        QFETCH(QString, item);
        QFETCH(QString, record);
        QCOMPARE(InsertedRecord({box, item, "3", "T"}).value_or(QString()), record);
    }

    void updatedInventory_data()
    {
        QTest::addColumn<QString>("wholeList"); // null: the list shows a search result
        QTest::addColumn<QString>("fileText");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("updated"); // null: nothing to write
        const QString list = "A\r\nB\r\nA\r\n";
        QTest::addRow("wholeList_everyOccurrence") << list << "ignored" << "A\r\n" << "C\r\nB\r\nC\r\n";
        QTest::addRow("wholeList_recordGone_nothing") << list << list << "D\r\n" << QString();
        QTest::addRow("searchResult_fileAsTheListShowsIt") << QString() << "A\nB\n\n" << "A\r\n" << "C\r\nB\r\n";
        QTest::addRow("searchResult_recordChangedInTheFile_nothing") << QString() << "A2\r\nB\r\n" << "A\r\n"
                                                                     << QString();
        QTest::addRow("nothingSelected_nothing") << list << list << "" << QString();
    }
    void updatedInventory()
    {
        QFETCH(QString, wholeList);
        QFETCH(QString, fileText);
        QFETCH(QString, selected);
        QFETCH(QString, updated);
        const std::optional<QString> whole = wholeList.isNull() ? std::nullopt : std::optional(wholeList);
        QCOMPARE(UpdatedInventory(whole, fileText, selected, QStringLiteral("C\r\n")).value_or(QString()), updated);
    }
};

QTEST_GUILESS_MAIN(TestEntryCommands)
#include "tst_entrycommands.moc"
