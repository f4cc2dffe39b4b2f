#include "inventoryfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Inventory;

static QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

static void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    QVERIFY2(ok, qPrintable(file.errorString()));
}

class TestInventoryFile : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> dir; // a fresh folder for every test
    QString inventory() const { return InventoryPath(dir->path()); }

private slots:
    void init()
    {
        dir.emplace();
        QVERIFY(dir->isValid());
    }

    void decodeInventory_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addRow("utf8_decoded") << QByteArray("caff\xC3\xA8 10\xC2\xB5" "F") << QString("caffè 10µF");
        QTest::addRow("utf8Bom_skipped") << QByteArray("\xEF\xBB\xBF" "A\r\n") << QString("A\r\n");
        QTest::addRow("ansiAccentInside_windows1252") << QByteArray("caff\xE8 ok") << QString("caffè ok");
        QTest::addRow("ansiAccentAtEnd_windows1252") << QByteArray("caff\xE8") << QString("caffè");
        QTest::addRow("ansiEuro_windows1252") << QByteArray("\x80 5") << QString("€ 5");
        QTest::addRow("ansiUnassigned_c1CodePoint") << QByteArray("\x81 5") << QChar(0x81) + QString(" 5");
    }
    void decodeInventory()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeInventory(bytes), text);
    }

    void listText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("joined");
        QTest::addColumn<QString>("list");
        QTest::addRow("savedEmptyLastLine_dropped") << "A\r\nB\r\n\r\n" << "A\r\nB\r\n\r\n" << "A\r\nB\r\n";
        QTest::addRow("threeLineEnds_two") << "A\r\n\r\n\r\nB\r\n" << "A\r\n\r\n\r\nB\r\n" << "A\r\n\r\nB\r\n";
        QTest::addRow("fourLineEnds_two") << "A\r\n\r\n\r\n\r\nB" << "A\r\n\r\n\r\n\r\nB\r\n" << "A\r\n\r\nB\r\n";
        QTest::addRow("fiveLineEnds_three") << "A\n\n\n\n\nB" << "A\r\n\r\n\r\n\r\n\r\nB\r\n" << "A\r\n\r\n\r\nB\r\n";
        QTest::addRow("lfOnly_crLf") << "A\nB\n" << "A\r\nB\r\n" << "A\r\nB\r\n";
        QTest::addRow("loneCr_crLf") << "A\rB" << "A\r\nB\r\n" << "A\r\nB\r\n";
        QTest::addRow("empty_empty") << "" << "" << "";
        QTest::addRow("oneLineEnd_kept") << "\r\n" << "\r\n" << "\r\n";
        const QString nul = QString::fromUtf8("A\0B\r\n", 5);
        QTest::addRow("nulInLine_kept") << nul << nul << nul;
    }
    void listText()
    {
        QFETCH(QString, text);
        QFETCH(QString, joined);
        QFETCH(QString, list);
        QCOMPARE(JoinLines(text), joined);
        QCOMPARE(ListTextFromFile(text), list);
    }

    void writeInventory_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("twoLines_extraCrLf") << "A\r\nB\r\n" << QByteArray("A\r\nB\r\n\r\n");
        QTest::addRow("emptyList_crLfOnly") << "" << QByteArray("\r\n");
        QTest::addRow("accent_utf8") << QString("è\r\n") << QByteArray("\xC3\xA8\r\n\r\n");
    }
    void writeInventory()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, bytes);
        WriteFile(inventory(), "older contents, longer than the new ones\r\n");
        const FileResult result = WriteInventory(dir->path(), list);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(FileBytes(inventory()), bytes);
        QVERIFY(InventoryExists(dir->path()));
        if (!list.isEmpty()) // saved and loaded back unchanged
            QCOMPARE(ListTextFromFile(ReadInventory(dir->path()).text), list);
    }

    void failedWriteChangesNothing()
    {
        QCOMPARE(inventory(), dir->path() + "/pezzarium.txt");
        QVERIFY(QDir(dir->path()).mkpath("pezzarium.txt/inner")); // the name taken by a folder
        QVERIFY(!InventoryExists(dir->path()));
        const ReadResult read = ReadInventory(dir->path()); // reads as no inventory at all
        QVERIFY(read.ok && read.text.isEmpty());
        FileResult result = WriteInventory(dir->path(), "A\r\n");
        QVERIFY(!result.ok && !result.error.isEmpty());
        QVERIFY(QFileInfo(inventory() + "/inner").isDir());
        WriteFile(dir->filePath("plainfile"), "keep\r\n"); // a folder path through a regular file
        result = WriteInventory(dir->filePath("plainfile/sub"), "A\r\n");
        QVERIFY(!result.ok && !result.error.isEmpty());
        QCOMPARE(FileBytes(dir->filePath("plainfile")), QByteArray("keep\r\n"));
    }

    void saveKeepsPreviousVersionAsBackup()
    {
        WriteFile(inventory(), "versione 1\r\n");
        QVERIFY(WriteInventory(dir->path(), "versione 2\r\n").ok);
        QVERIFY(WriteInventory(dir->path(), "versione 3\r\n").ok);
        QCOMPARE(FileBytes(BackupPath(dir->path())), QByteArray("versione 2\r\n\r\n"));

        // A backup that cannot be written stops the save.
        QVERIFY(QFile::remove(BackupPath(dir->path())));
        QVERIFY(QDir(dir->path()).mkdir("pezzarium.txt.bak"));
        const FileResult result = WriteInventory(dir->path(), "versione 4\r\n");
        QVERIFY(!result.ok);
        QCOMPARE(result.path, BackupPath(dir->path()));
        QCOMPARE(FileBytes(inventory()), QByteArray("versione 3\r\n\r\n"));
    }

    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        const QByteArray old = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";
        WriteFile(inventory(), old);
        // A file size limit fails the write like a full disk, even for root;
        // its signal would end the test.
        rlimit saved{}, limited{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        limited = {16, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const FileResult result = WriteInventory(dir->path(), QString(200, u'x') + "\r\n");
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(FileBytes(inventory()), old);
        QVERIFY(!result.ok && !result.error.isEmpty());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pezzarium.txt"});
#else
        QSKIP("needs a file size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(TestInventoryFile)
#include "tst_inventoryfile.moc"
