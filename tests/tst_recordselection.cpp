#include "recordselection.h"

#include <QTest>

using namespace Inventory;

class TestRecordSelection : public QObject
{
    Q_OBJECT

private slots:
    void selectRecordAtCaret_data()
    {
        const QString a1 = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n"; // 51 + CR LF
        const QString a2 = "[Box]: A2 [Item]: 1N4148 [Nr]: 5 [Type]: Varie\r\n";
        const QStringList v1{"A1", "BC547", "12", "Transistor"}, v2{"A2", "1N4148", "5", "Varie"}, none;
        const QString wide(200, u'x'), huge(100000, u'x');
        QTest::addColumn<QString>("list");
        QTest::addColumn<qsizetype>("caret");
        QTest::addColumn<QStringList>("values"); // empty: nothing selected
        QTest::addRow("lineStart_selected") << a1 << qsizetype(0) << v1;
        QTest::addRow("insideType_selected") << a1 << qsizetype(45) << v1;
        QTest::addRow("beforeLineEnd_selected") << a1 << qsizetype(51) << v1;
        QTest::addRow("afterLastLineEnd_nothing") << a1 << qsizetype(53) << none;
        QTest::addRow("negative_nothing") << a1 << qsizetype(-1) << none;
        QTest::addRow("pastEnd_nothing") << a1 << qsizetype(54) << none;
        QTest::addRow("firstOfTwo_firstRecord") << a1 + a2 << qsizetype(20) << v1;
        QTest::addRow("secondLineStart_secondRecord") << a1 + a2 << qsizetype(53) << v2;
        QTest::addRow("secondLineEnd_secondRecord") << a1 + a2 << qsizetype(a1.size() + a2.size() - 2) << v2;
        QTest::addRow("emptyLine_nothing") << a1 + "\r\n" + a2 << qsizetype(53) << none;
        QTest::addRow("afterEmptyLine_secondRecord") << a1 + "\r\n" + a2 << qsizetype(55) << v2;
        QTest::addRow("noFinalLineEnd_nothing") << a1 + a2.chopped(2) << qsizetype(60) << none;
        QTest::addRow("noBoxMarker_nothing") << "A1 BC547 12\r\n" + a1 << qsizetype(3) << none;
        QTest::addRow("textBeforeMarker_fromMarker") << "note " + a1 << qsizetype(2) << v1;
        QTest::addRow("markerInBox_parsedByMarkers") << "[Box]: A [Item]: x [Item]: B [Nr]: 1 [Type]: T\r\n"
                                                     << qsizetype(5) << QStringList{"A", "x [Item]: B", "1", "T"};
        QTest::addRow("endsAtTypeMarker_nothing") << "[Box]: A [Item]: B [Nr]: 1 [Type]:\r\n" << qsizetype(5) << none;
        QTest::addRow("longLine_selected") << "[Box]: " + wide + " [Item]: B [Nr]: 1 [Type]: T\r\n" << qsizetype(150)
                                           << QStringList{wide, "B", "1", "T"};
        QTest::addRow("hugeLine_selected") << "[Box]: " + huge + " [Item]: B [Nr]: 1 [Type]: T\r\n"
                                           << qsizetype(99999) << QStringList{huge, "B", "1", "T"};
    }
    void selectRecordAtCaret()
    {
        QFETCH(QString, list);
        QFETCH(qsizetype, caret);
        QFETCH(QStringList, values);
        const std::optional<RecordFields> f = SelectRecordAtCaret(list, caret);
        QCOMPARE((f ? QStringList{f->box, f->item, f->quantity, f->type} : QStringList{}), values);
    }
};

QTEST_GUILESS_MAIN(TestRecordSelection)
#include "tst_recordselection.moc"
