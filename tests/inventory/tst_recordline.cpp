#include "recordline.h"

#include <QTest>

using namespace Inventory;

// The four values, or an empty list when nothing was parsed.
static QStringList Values(const std::optional<RecordFields> &f)
{
    return f ? QStringList{f->box, f->item, f->quantity, f->type} : QStringList{};
}

class TestRecordLine : public QObject
{
    Q_OBJECT

private slots:
    void composeAndParseBack_data()
    {
        const QString wide(40000, u'x');
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("line");
        QTest::addRow("plain_valuesBetweenMarkers") << QStringList{"A1", "BC547", "12", "Transistor"}
                                                    << "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n";
        QTest::addRow("empty_markersOnly") << QStringList{"", "", "", ""} << "[Box]:  [Item]:  [Nr]:  [Type]: \r\n";
        QTest::addRow("spaces_notTrimmed") << QStringList{" A ", "x  y", "1 2", " "}
                                           << "[Box]:  A  [Item]: x  y [Nr]: 1 2 [Type]:  \r\n";
        QTest::addRow("bracketsAccents_asTheyAre") << QStringList{"[A1] è", "(10µF)", "[3]", "..."}
                                                   << "[Box]: [A1] è [Item]: (10µF) [Nr]: [3] [Type]: ...\r\n";
        QTest::addRow("longBox_noLengthLimit") << QStringList{wide, "B", "1", "T"}
                                               << "[Box]: " + wide + " [Item]: B [Nr]: 1 [Type]: T\r\n";
    }
    void composeAndParseBack()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, line);
        QCOMPARE(ComposeRecord({values[0], values[1], values[2], values[3]}), line);
        QCOMPARE(Values(ParseRecord(line.chopped(2))), values);
    }

    void parseRecord_data()
    {
        const QStringList none;
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("values");
        QTest::addRow("extraSpaces_keptInValues") << "[Box]: A [Item]:  B [Nr]:  1 [Type]:  T"
                                                  << QStringList{"A", " B", " 1", " T"};
        QTest::addRow("noItemMarker_nothing") << "[Box]: A [Nr]: 1 [Type]: T" << none;
        QTest::addRow("noNrMarker_nothing") << "[Box]: A [Item]: B [Type]: T" << none;
        QTest::addRow("noTypeMarker_nothing") << "[Box]: A [Item]: B [Nr]: 1" << none;
        QTest::addRow("endsAtTypeMarker_nothing") << "[Box]: A [Item]: B [Nr]: 1 [Type]:" << none;
        QTest::addRow("itemMarkerTooEarly_nothing") << "[Box]: [Item]: B [Nr]: 1 [Type]: T" << none;
        QTest::addRow("nrBeforeItem_nothing") << "[Box]: A [Nr]: 1 [Item]: B [Type]: T" << none;
        QTest::addRow("typeBeforeNr_nothing") << "[Box]: A [Item]: B [Type]: T [Nr]: 1" << none;
        QTest::addRow("secondItemMarker_keptInTheItem") << "[Box]: A [Item]: x [Item]: B [Nr]: 1 [Type]: T"
                                                       << QStringList{"A", "x [Item]: B", "1", "T"};
        QTest::addRow("nrMarkerInItem_restInQuantity") << "[Box]: A [Item]: x [Nr]: y [Nr]: 1 [Type]: T"
                                                      << QStringList{"A", "x", "y [Nr]: 1", "T"};
    }
    void parseRecord()
    {
        QFETCH(QString, record);
        QFETCH(QStringList, values);
        QCOMPARE(Values(ParseRecord(record)), values);
    }

    void singleLineValue_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("value");
        QTest::addRow("crLf_oneSpace") << "BC547\r\n" << "BC547 ";
        QTest::addRow("lf_oneSpace") << "A\nB" << "A B";
        QTest::addRow("loneCr_oneSpace") << "A\rB" << "A B";
        QTest::addRow("lfCr_twoSpaces") << "A\n\rB" << "A  B";
        QTest::addRow("unicodeSeparators_spaces") << QString("A") + QChar(0x2028) + "B" + QChar(0x2029)
                                                  << "A B ";
        QTest::addRow("noBreak_unchanged") << "Cassetto 3 [è]" << "Cassetto 3 [è]";
    }
    void singleLineValue()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, value);
        QCOMPARE(SingleLineValue(pasted), value);
    }
};

QTEST_GUILESS_MAIN(TestRecordLine)
#include "tst_recordline.moc"
