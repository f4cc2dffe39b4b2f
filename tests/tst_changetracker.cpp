#include "changetracker.h"
#include "inventorypath.h"
#include "listtext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Inventory;

namespace {

const QByteArray Saved = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";

bool WriteFile(const QString &path, const QByteArray &bytes, std::optional<QDateTime> modified = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return !modified || file.setFileTime(*modified, QFileDevice::FileModificationTime);
}

} // namespace

// What a window's view of the file makes of another program's doings between
// its last read and its next save.
class TestChangeTracker : public QObject
{
    Q_OBJECT

private slots:
    void readBeforeOverwrite_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("exists");

        QTest::addRow("unchanged_noQuestion") << "none" << true << false << true;
        QTest::addRow("touched_noQuestion") << "touch" << true << false << true;
        QTest::addRow("sameSizeAndTime_changed") << "sameStamp" << true << true << true;
        QTest::addRow("truncated_changed") << "truncate" << true << true << true;
        QTest::addRow("removed_writtenAgain") << "remove" << true << false << false;
        QTest::addRow("grownTooLarge_unreadable") << "sparse" << false << false << true;
#ifdef Q_OS_LINUX
        QTest::addRow("unreadable_unreadable") << "unreadable" << false << false << true;
#endif
        QTest::addRow("folder_leftToTheSave") << "folder" << true << false << false;
        QTest::addRow("savedByThisWindow_noQuestion") << "ownSave" << true << false << true;
    }
    void readBeforeOverwrite()
    {
        QFETCH(QString, change);
        QFETCH(bool, ok);
        QFETCH(bool, changed);
        QFETCH(bool, exists);

        QTemporaryDir dir;
        const QString path = InventoryPath(dir.path());
        // Saved an hour ago, so that a search trusts its size and time.
        const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
        QVERIFY(WriteFile(path, Saved, anHourAgo));
        ChangeTracker file(dir.path());
        QCOMPARE(file.readText().text, QString::fromUtf8(Saved));

        if (change == "touch") {
            QVERIFY(WriteFile(path, Saved));
        } else if (change == "sameStamp") {
            QByteArray other = Saved;
            other.replace("12", "13");
            QVERIFY(WriteFile(path, other, anHourAgo));
        } else if (change == "truncate") {
            QVERIFY(WriteFile(path, {}));
        } else if (change == "remove") {
            QVERIFY(QFile::remove(path));
        } else if (change == "sparse") {
            QFile grown(path);
            QVERIFY(grown.open(QIODevice::ReadWrite) && grown.resize(qint64(64) << 30));
        } else if (change == "unreadable") {
            QVERIFY(QFile::remove(path) && QFile::link("/proc/self/mem", path));
        } else if (change == "folder") {
            QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        } else if (change == "ownSave") {
            QVERIFY(file.write(QStringLiteral("[Box]: A2\r\n")).ok);
        }

        const ChangeTracker::OverwriteCheck current = file.readBeforeOverwrite();
        QCOMPARE(current.ok, ok);
        QCOMPARE(current.changed, changed);
        if (ok)
            QCOMPARE(current.exists, exists);
        else
            QVERIFY(!current.error.isEmpty());
    }

    void readTextGivesTheFileWithItsOwnLineEnds()
    {
        QTemporaryDir dir;
        ChangeTracker file(dir.path());
        QVERIFY(file.write(QStringLiteral("A\r\nB\r\n")).ok);
        QCOMPARE(file.readText().text, QStringLiteral("A\r\nB\r\n\r\n"));
        QCOMPARE(ListTextFromFile(file.readText().text), QStringLiteral("A\r\nB\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestChangeTracker)
#include "tst_changetracker.moc"
