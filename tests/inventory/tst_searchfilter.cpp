#include "changetracker.h"
#include "inventorypath.h"
#include "matchinglines.h"
#include "searchfilter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Inventory;

class TestSearchFilter : public QObject
{
    Q_OBJECT

private slots:
    void filterInventory_data()
    {
        const QString a1 = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor";
        const QString a2 = "[Box]: A2 [Item]: 1N4148 [Nr]: 5 [Type]: Varie";
        const QByteArray saved = (a1 + "\r\n" + a2 + "\r\n\r\n").toUtf8();
        QTest::addColumn<QByteArray>("file"); // empty: no inventory file
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("queryAfter");
        QTest::addColumn<bool>("retried");
        QTest::addRow("exactCase_firstLine") << saved << "BC547" << a1 + "\r\n" << "BC547" << false;
        QTest::addRow("lowerCase_retriedUpper") << saved << "bc547" << a1 + "\r\n" << "BC547" << true;
        QTest::addRow("noHit_upperQueryEmptyList") << saved << "zzz" << "" << "ZZZ" << true;
        QTest::addRow("digitsNoHit_sameQuery") << saved << "123" << "" << "123" << true;
        QTest::addRow("emptyQuery_bothLinesOnly") << saved << "" << a1 + "\r\n" + a2 + "\r\n" << "" << false;
        QTest::addRow("markerQuery_bothLines") << saved << "Nr" << a1 + "\r\n" + a2 + "\r\n" << "Nr" << false;
        QTest::addRow("lfOnlyFile_found") << (a1 + "\n" + a2 + "\n").toUtf8() << "1n4148" << a2 + "\r\n"
                                          << "1N4148" << true;
        QTest::addRow("severalHitsInLine_lineOnce") << QByteArray("xa\r\nb\r\naXa") << "a" << "xa\r\naXa\r\n" << "a"
                                                    << false;
        QTest::addRow("mixedLineEnds_eachLineCrLf") << QByteArray("a1\rb\na2") << "a" << "a1\r\na2\r\n" << "a" << false;
        QTest::addRow("emptyQuery_noEmptyLines") << QByteArray("a\r\n\r\nb\n\n") << "" << "a\r\nb\r\n" << "" << false;
        QTest::addRow("noFile_queryKept") << QByteArray() << "bc547" << "" << "bc547" << false;
        // Only capitals that turn back into the very letter typed: "µ" is no "μ".
        const QByteArray odd = "10\xC2\xB5" "F STRA\xC3\x9F" "E \xC5\xBF \xC4\xB1\r\n";
        QTest::addRow("microSign_keptAndFound") << odd << "10µf" << QString::fromUtf8(odd) << "10µF" << true;
        QTest::addRow("sharpS_keptAndFound") << odd << "straße" << QString::fromUtf8(odd) << "STRAßE" << true;
        QTest::addRow("longSAndDotlessI_kept") << odd << "ſ ı z" << "" << "ſ ı Z" << true;
    }
    void filterInventory()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, query);
        QFETCH(QString, list);
        QFETCH(QString, queryAfter);
        QFETCH(bool, retried);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!file.isEmpty()) {
            QFile inventory(InventoryPath(dir.path()));
            const bool ok = inventory.open(QIODevice::WriteOnly) && inventory.write(file) == file.size();
            QVERIFY2(ok, qPrintable(inventory.errorString()));
        }
        ChangeTracker inventoryFile(dir.path());
        const FileResult<Found> result = FilterInventory(inventoryFile, query);
        QVERIFY(result.ok());
        QCOMPARE(result->listText, list);
        QCOMPARE(result->query, queryAfter);
        QCOMPARE(result->retried, retried);
    }

    // A search that every line matches gives the tracker's whole inventory,
    // which the list recognises by its version.
    void everyLineMatchingGivesTheWholeInventory_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("whole");
        QTest::addRow("empty_whole") << "" << true;
        QTest::addRow("everyLineMatches_whole") << "[Box]" << true;
        QTest::addRow("everyLineButOne_matchingLines") << "A1" << false;
        QTest::addRow("retriedInUpperCase_matchingLines") << "a2" << false;
    }
    void everyLineMatchingGivesTheWholeInventory()
    {
        QFETCH(QString, query);
        QFETCH(bool, whole);
        QTemporaryDir dir;
        QFile inventory(InventoryPath(dir.path()));
        QVERIFY(inventory.open(QIODevice::WriteOnly));
        inventory.write("[Box]: A1 [Item]: X\r\n\r\n[Box]: A1 [Item]: Y\n[Box]: A2 [Item]: Z\r\n\r\n");
        inventory.close();
        ChangeTracker file(dir.path());
        const FileResult<Found> found = FilterInventory(file, query);
        QCOMPARE(found->listText, MatchingLines(file.readText()->text, found->query));
        QCOMPARE(found->wholeInventory, whole ? std::optional(file.kept().version()) : std::nullopt);
        if (whole)
            QCOMPARE(found->listText, "[Box]: A1 [Item]: X\r\n[Box]: A1 [Item]: Y\r\n[Box]: A2 [Item]: Z\r\n");
    }
};

QTEST_GUILESS_MAIN(TestSearchFilter)
#include "tst_searchfilter.moc"
