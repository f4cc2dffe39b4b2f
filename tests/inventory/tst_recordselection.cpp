#include "recordselection.h"

#include <QTest>

using namespace Inventory;

class TestRecordSelection : public QObject
{
    Q_OBJECT

private slots:
    void selectRecordAtCaret_data()
    {
        const QString a1 = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n";
        const QStringList v1{"A1", "BC547", "12", "Transistor"}, none;
        const QString huge(100000, u'x');
        QTest::addColumn<QString>("clickedLine"); // with its CR LF when one follows
        QTest::addColumn<QStringList>("values"); // empty: nothing selected
        QTest::addColumn<QString>("textBefore");
        QTest::addRow("record_selected") << a1 << v1 << QString();
        QTest::addRow("lastLineWithoutLineEnd_nothing") << a1.chopped(2) << none << QString();
        QTest::addRow("emptyLine_nothing") << "\r\n" << none << QString();
        QTest::addRow("noBoxMarker_nothing") << "A1 BC547 12\r\n" << none << QString();
        QTest::addRow("textBeforeMarker_fromMarker") << "note " + a1 << v1 << "note ";
        QTest::addRow("markerInBox_parsedByMarkers") << "[Box]: A [Item]: x [Item]: B [Nr]: 1 [Type]: T\r\n"
                                                     << QStringList{"A", "x [Item]: B", "1", "T"} << QString();
        QTest::addRow("endsAtTypeMarker_nothing") << "[Box]: A [Item]: B [Nr]: 1 [Type]:\r\n" << none << QString();
        QTest::addRow("hugeLine_selected") << "[Box]: " + huge + " [Item]: B [Nr]: 1 [Type]: T\r\n"
                                           << QStringList{huge, "B", "1", "T"} << QString();
    }
    void selectRecordAtCaret()
    {
        QFETCH(QString, clickedLine);
        QFETCH(QStringList, values);
        QFETCH(QString, textBefore);
        const std::optional<SelectedLine> line = SelectRecordAtCaret(clickedLine);
        const RecordFields f = line ? line->fields : RecordFields{};
        QCOMPARE((line ? QStringList{f.box, f.item, f.quantity, f.type} : QStringList{}), values);
        QCOMPARE(line ? line->textBefore : QString(), textBefore);
    }
};

QTEST_GUILESS_MAIN(TestRecordSelection)
#include "tst_recordselection.moc"
