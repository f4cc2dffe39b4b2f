#include "busycursor.h"
#include "formfixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <windows.h>

namespace {

std::wstring WinPath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The file opened as another program would hold it: for reading and writing,
// shared with no one, until this object goes.
class ExclusiveHandle
{
public:
    explicit ExclusiveHandle(const QString &path)
        : m_handle(CreateFileW(WinPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~ExclusiveHandle() { release(); }
    ExclusiveHandle(const ExclusiveHandle &) = delete;
    ExclusiveHandle &operator=(const ExclusiveHandle &) = delete;

    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    void release()
    {
        if (isOpen())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// Deep under the user's documents, past the 260 characters of old Windows paths.
const QString DeepFolder = QStringLiteral("Documenti/Laboratorio di elettronica del circolo "
                                          "radioamatori/Magazzino dei componenti/Cassettiere "
                                          "dello scaffale nord, ripiano superiore/Inventario "
                                          "aggiornato ogni settimana dopo gli acquisti/Copia "
                                          "di lavoro condivisa con gli altri soci del circolo");

// Another program holding the file at path for milliseconds from the return:
// the holder built beside the tests. It shares reading and writing, as a virus
// scanner or a sync client does, or nothing. Null if it could not hold it.
std::unique_ptr<QProcess> Hold(const QString &path, int milliseconds, bool exclusive)
{
    auto holder = std::make_unique<QProcess>();
    QStringList arguments{QDir::toNativeSeparators(path), QString::number(milliseconds)};
    if (exclusive)
        arguments << "exclusive";
    holder->start(QCoreApplication::applicationDirPath() + "/holder.exe", arguments);
    if (!holder->waitForReadyRead(30000) || !holder->readLine().startsWith("held"))
        return nullptr;
    return holder;
}

// The window's busy cursor, and what it showed at each pause of a wait.
class CursorAtPauses final : public BusyCursorWhileHeld
{
public:
    void pause(std::chrono::milliseconds length) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapes << (cursor ? cursor->shape() : Qt::ArrowCursor);
        BusyCursorWhileHeld::pause(length);
    }

    QList<Qt::CursorShape> shapes;
};

bool SetAttributes(const QString &path, DWORD attributes)
{
    return SetFileAttributesW(WinPath(path).c_str(), attributes) != 0;
}

// The attributes that a file keeps through a save.
DWORD KeptAttributes(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(WinPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

} // namespace

class TestWindows : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void foundBesideTheProgramWithWindowsPaths_data();
    void foundBesideTheProgramWithWindowsPaths();
    void hiddenFileIsStillTheInventory_data();
    void hiddenFileIsStillTheInventory();
    void saveFailsAndKeepsEverything_data();
    void saveFailsAndKeepsEverything();
    void endsWhenAnotherProgramHoldsTheFile();
    void saveWithAFileInTheWay_data();
    void saveWithAFileInTheWay();
    void readWaitsOutABriefHold_data();
    void readWaitsOutABriefHold();
    void eightBitFileStaysInTheAnsiCodePage_data();
    void eightBitFileStaysInTheAnsiCodePage();

private:
    // A file whose stamp is older than the window's distrust of fresh stamps,
    // so that a save does not read it again before writing.
    void writeSettledInventory(const QByteArray &bytes);
    // The path of an inventory of two records in a new subfolder of the
    // temporary folder; empty if it could not be written.
    QString twoRecordsIn(const QString &subfolder);
    void insertRecord();
};

void TestWindows::init()
{
    resetFolder();
}

void TestWindows::cleanup()
{
    // The temporary folder cannot remove a read-only file.
    for (const QString &path : {inventoryPath(), inventoryPath() + ".bak"}) {
        if (QFileInfo::exists(path))
            SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    }
}

void TestWindows::writeSettledInventory(const QByteArray &bytes)
{
    writeInventory(bytes, AnHourAgo());
}

QString TestWindows::twoRecordsIn(const QString &subfolder)
{
    const QString folder = QDir(m_folder->path()).filePath(subfolder);
    const QString path = QDir(folder).filePath("pezzarium.txt");
    if (!QDir().mkpath(folder) || !WriteFile(path, TwoRecords))
        return {};
    return path;
}

void TestWindows::insertRecord()
{
    control<QLineEdit>("Text1")->setText("A3");
    control<QLineEdit>("Text2")->setText("BD139");
    click("Command3");
}

void TestWindows::foundBesideTheProgramWithWindowsPaths_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addRow("plain") << "";
    QTest::addRow("spaces_and_accents") << "Programmi/Magazzino è";
    QTest::addRow("non_latin") << "Склад Ω";
    QTest::addRow("longerThan260") << DeepFolder;
}

void TestWindows::foundBesideTheProgramWithWindowsPaths()
{
    QFETCH(QString, subfolder);
    const QString path = twoRecordsIn(subfolder);
    QVERIFY(!path.isEmpty());
    const QString folder = QFileInfo(path).path();

    Form1 form(folder, m_messages);
    QVERIFY(form.Form_Load());
    QCOMPARE(form.listText(), QString::fromUtf8(TwoRecords.chopped(2)));
    QTest::mouseClick(form.findChild<QPushButton *>("Command4"), Qt::LeftButton);

    QVERIFY(m_messages.warnings.isEmpty());
    QCOMPARE(m_messages.informations.size(), 1);
    const QString shown = m_messages.informations.first();
    // A drive letter and backslashes only, as Windows users write paths.
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QVERIFY2(shown.endsWith(native), qPrintable(shown));
    QVERIFY2(!shown.contains(u'/'), qPrintable(shown));
    QCOMPARE(native.mid(1, 2), QStringLiteral(":\\"));
    QVERIFY(QTest::currentDataTag() != QByteArray("longerThan260") || native.size() > 260);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), TwoRecords.chopped(2) + "\r\n");
    QFile backup(path + ".bak");
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), TwoRecords);

    // A failure names the file in full too.
    QVERIFY(SetAttributes(path, FILE_ATTRIBUTE_READONLY));
    QTest::mouseClick(form.findChild<QPushButton *>("Command4"), Qt::LeftButton);
    SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY2(m_messages.warnings.first().startsWith("Impossibile salvare " + native + ": "),
             qPrintable(m_messages.warnings.first()));
}

void TestWindows::hiddenFileIsStillTheInventory_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<uint>("attributes");
    QTest::addRow("hidden_backupHiddenToo") << "" << uint(FILE_ATTRIBUTE_HIDDEN);
    QTest::addRow("hiddenSystem_bothKeptOnBoth") << "" << uint(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    QTest::addRow("hiddenPast260Characters_kept") << DeepFolder << uint(FILE_ATTRIBUTE_HIDDEN);
}

void TestWindows::hiddenFileIsStillTheInventory()
{
    QFETCH(QString, subfolder);
    QFETCH(uint, attributes);
    const QString path = twoRecordsIn(subfolder);
    QVERIFY(!path.isEmpty());
    const QString folder = QFileInfo(path).path();
    QVERIFY(SetAttributes(path, attributes));
    if (KeptAttributes(path) != attributes)
        QSKIP("The file system under this folder keeps no hidden attribute (Wine on a "
              "file system without extended attributes).");
    m_form = std::make_unique<Form1>(folder, m_messages);
    QVERIFY(m_form->Form_Load());
    QCOMPARE(m_form->listText(), QString::fromUtf8(TwoRecords.chopped(2)));

    insertRecord();
    m_messages.answer = true;
    click("Command4");
    QVERIFY2(m_messages.warnings.isEmpty(), qPrintable(m_messages.warnings.join('\n')));
    // The save kept the previous file as its backup, as for any inventory.
    QCOMPARE(FileBytes(path + ".bak"), TwoRecords);
    QVERIFY(FileBytes(path).startsWith(TwoRecords.chopped(2)));
    // Replacing the file keeps its attributes, and the backup has them too.
    QCOMPARE(uint(KeptAttributes(path)), attributes);
    QCOMPARE(uint(KeptAttributes(path + ".bak")), attributes);
}

void TestWindows::saveFailsAndKeepsEverything_data()
{
    QTest::addColumn<bool>("heldOpen");
    QTest::addColumn<QString>("message"); // how the warning starts, before the path
    // The save reads the file first, to tell another program's change.
    QTest::addRow("held_open_without_sharing") << true << "Impossibile leggere ";
    QTest::addRow("read_only_attribute") << false << "Impossibile salvare ";
}

void TestWindows::saveFailsAndKeepsEverything()
{
    QFETCH(bool, heldOpen);
    QFETCH(QString, message);
    writeSettledInventory(TwoRecords);
    createForm();
    QVERIFY(m_form->Form_Load());
    insertRecord();
    const QString before = m_form->listText();

    std::unique_ptr<ExclusiveHandle> other;
    if (heldOpen) {
        other = std::make_unique<ExclusiveHandle>(inventoryPath());
        QVERIFY(other->isOpen());
    } else {
        QVERIFY(SetAttributes(inventoryPath(), FILE_ATTRIBUTE_READONLY));
    }
    click("Command4");
    other.reset();

    QCOMPARE(m_messages.warnings.size(), 1);
    const QString expected = message + QDir::toNativeSeparators(inventoryPath()) + ": ";
    QVERIFY2(m_messages.warnings.first().startsWith(expected),
             qPrintable(m_messages.warnings.first()));
    QVERIFY(m_messages.warnings.first().contains(heldOpen ? "il file è in uso da parte di un altro programma"
                                                          : "il file è di sola lettura"));
    QVERIFY(m_messages.informations.isEmpty());
    QCOMPARE(m_form->listText(), before);
    QVERIFY(m_form->isVisible());
    QVERIFY(SetAttributes(inventoryPath(), FILE_ATTRIBUTE_NORMAL));
    QCOMPARE(inventoryBytes(), TwoRecords);

    // Once the file is free again, the next "Salva" writes it: the failed
    // attempt left nothing behind (such as a read-only backup) in the way.
    click("Command4");
    QVERIFY2(m_messages.warnings.size() == 1, qPrintable(m_messages.warnings.join('\n')));
    QCOMPARE(m_messages.informations.size(), 1);
    QCOMPARE(inventoryBytes(), before.toUtf8() + "\r\n");
}

void TestWindows::endsWhenAnotherProgramHoldsTheFile()
{
    writeInventory(TwoRecords);
    ExclusiveHandle other(inventoryPath());
    QVERIFY(other.isOpen());
    createForm();
    QVERIFY(!m_form->Form_Load());
    QCOMPARE(m_messages.warnings.size(), 1);
    QVERIFY2(m_messages.warnings.first().startsWith(
                 "Impossibile leggere " + QDir::toNativeSeparators(inventoryPath())),
             qPrintable(m_messages.warnings.first()));
    other.release();
    QCOMPARE(inventoryBytes(), TwoRecords);
}

void TestWindows::saveWithAFileInTheWay_data()
{
    QTest::addColumn<QString>("held");   // the file another program holds; none when empty
    QTest::addColumn<int>("holdFor");    // milliseconds
    QTest::addColumn<uint>("backupAttributes");
    QTest::addColumn<QString>("warning"); // %1 the inventory's path; none when empty
    const QString inventory = "pezzarium.txt";
    const QString backup = "pezzarium.txt.bak";
    const auto none = uint(FILE_ATTRIBUTE_NORMAL);
    const QString pressAgain = "Impossibile salvare %1: il file è in uso da parte di un altro programma\n"
                               "L'archivio è rimasto com'era e le modifiche restano in questa finestra: "
                               "quando l'altro programma avrà chiuso il file, premere di nuovo \"Salva\".";
    const QString backupOlder = "La copia di sicurezza %1.bak è più vecchia di questo salvataggio: non è stato "
                                "possibile aggiornarla (il file è in uso da parte di un altro programma).";
    QTest::addRow("inventoryHeldBriefly_saved") << inventory << 1500 << none << "";
    QTest::addRow("inventoryHeldLong_pressAgainAndUnchanged") << inventory << 40000 << none << pressAgain;
    QTest::addRow("backupHeldBriefly_savedWithBackup") << backup << 1500 << none << "";
    QTest::addRow("backupHeldLong_savedAndBackupOlder") << backup << 40000 << none << backupOlder;
    QTest::addRow("backupReadOnly_replaced") << "" << 0 << uint(FILE_ATTRIBUTE_READONLY) << "";
    QTest::addRow("backupReadOnlyHidden_replaced")
        << "" << 0 << uint(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN) << "";
}

void TestWindows::saveWithAFileInTheWay()
{
    QFETCH(QString, held);
    QFETCH(int, holdFor);
    QFETCH(uint, backupAttributes);
    QFETCH(QString, warning);
    CursorAtPauses cursor;
    Inventory::HoldWait *const previous = Inventory::InstallHoldWait(&cursor);
    const auto restore = qScopeGuard([previous] { Inventory::InstallHoldWait(previous); });
    writeSettledInventory(TwoRecords);
    const QString backup = inventoryPath() + ".bak";
    const QByteArray olderBackup = "[Box]: A0 [Item]: 2N2222 [Nr]: 1 [Type]: Transistor\r\n\r\n";
    QVERIFY(WriteFile(backup, olderBackup));
    QVERIFY(SetAttributes(backup, backupAttributes));
    createForm();
    QVERIFY(m_form->Form_Load());
    insertRecord();
    const QString listBefore = m_form->listText();

    std::unique_ptr<QProcess> holder;
    if (!held.isEmpty()) {
        holder = Hold(m_folder->filePath(held), holdFor, false);
        QVERIFY(holder);
    }
    click("Command4");
    const QList<Qt::CursorShape> pauses = cursor.shapes;
    // A long hold need not be waited out here once the save has given up.
    if (holder) {
        holder->kill();
        QVERIFY(holder->waitForFinished(30000));
    }

    const QString native = QDir::toNativeSeparators(inventoryPath());
    const bool saved = !warning.startsWith("Impossibile salvare");
    QCOMPARE(m_messages.informations, saved ? QStringList("Archivio salvato in " + native) : QStringList());
    QCOMPARE(m_messages.warnings, warning.isEmpty() ? QStringList() : QStringList(warning.arg(native)));
    QCOMPARE(inventoryBytes(), saved ? listBefore.toUtf8() + "\r\n" : TwoRecords);
    QCOMPARE(FileBytes(backup), warning.isEmpty() ? TwoRecords : olderBackup);
    QCOMPARE(m_form->listText(), listBefore);
    // No temporary file is left, whatever happened.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({"pezzarium.txt", "pezzarium.txt.bak"}));
    // A hold was waited out with a busy cursor; a long one to the last pause.
    if (held.isEmpty())
        QVERIFY(pauses.isEmpty());
    else if (holdFor > 2000)
        QCOMPARE(pauses.size(), qsizetype(Inventory::HoldPauses.size()));
    else
        QVERIFY(!pauses.isEmpty());
    QVERIFY(std::all_of(pauses.begin(), pauses.end(), [](Qt::CursorShape shape) { return shape == Qt::WaitCursor; }));
    QVERIFY(!QGuiApplication::overrideCursor());

    if (!saved) {
        // Once the other program has let go, "Salva" saves.
        m_messages = {};
        click("Command4");
        QCOMPARE(m_messages.informations, QStringList("Archivio salvato in " + native));
        QCOMPARE(inventoryBytes(), listBefore.toUtf8() + "\r\n");
        QCOMPARE(FileBytes(backup), TwoRecords);
    }
}

void TestWindows::readWaitsOutABriefHold_data()
{
    QTest::addColumn<QString>("when");
    QTest::addRow("atStartup_listShowsTheFile") << "startup";
    QTest::addRow("duringASearch_listShowsTheFileAsChanged") << "search";
    QTest::addRow("beforeASave_saved") << "save";
}

void TestWindows::readWaitsOutABriefHold()
{
    QFETCH(QString, when);
    CursorAtPauses cursor;
    Inventory::HoldWait *const previous = Inventory::InstallHoldWait(&cursor);
    const auto restore = qScopeGuard([previous] { Inventory::InstallHoldWait(previous); });
    writeSettledInventory(TwoRecords);
    createForm();
    if (when != "startup")
        QVERIFY(m_form->Form_Load());
    const QByteArray changed = "[Box]: C1 [Item]: BD139 [Nr]: 2 [Type]: Transistor\r\n";
    if (when == "search")
        writeInventory(changed);
    if (when == "save")
        insertRecord();
    const QString listBefore = m_form->listText();

    const std::unique_ptr<QProcess> holder = Hold(inventoryPath(), 1500, true);
    QVERIFY(holder);
    QFile other(inventoryPath());
    QVERIFY2(!other.open(QIODevice::ReadOnly), "the holder does not keep readers out");
    if (when == "startup") {
        QVERIFY(m_form->Form_Load());
        QCOMPARE(m_form->listText(), QString::fromUtf8(TwoRecords.chopped(2)));
    } else if (when == "search") {
        control<QLineEdit>("Text4")->clear();
        QTest::keyClicks(control<QLineEdit>("Text4"), "B");
        QCOMPARE(m_form->listText(), QString::fromUtf8(changed));
    } else {
        click("Command4");
        QCOMPARE(m_messages.informations.size(), 1);
        QCOMPARE(inventoryBytes(), listBefore.toUtf8() + "\r\n");
    }
    QVERIFY2(m_messages.warnings.isEmpty(), qPrintable(m_messages.warnings.join('\n')));
    QVERIFY(holder->waitForFinished(30000));

    // It waited, with a busy cursor, and shows the usual one again.
    QVERIFY(!cursor.shapes.isEmpty());
    QVERIFY(std::all_of(cursor.shapes.begin(), cursor.shapes.end(),
                        [](Qt::CursorShape shape) { return shape == Qt::WaitCursor; }));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestWindows::eightBitFileStaysInTheAnsiCodePage_data()
{
    // CTest runs this suite once more under a Cyrillic ANSI code page.
    QTest::addColumn<uint>("codePage");
    QTest::addColumn<QByteArray>("onDisk"); // null: no file yet
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("box"); // of the record inserted, then saved
    QTest::addColumn<QByteArray>("saved");
    const QByteArray none;
    const QByteArray record = " [Item]: X [Nr]: 0 [Type]: ...\r\n\r\n";
    QTest::addRow("westernFile_kept") << 1252u << QByteArray("Caff\xE8\r\n") << "Caffè\r\n" << "Perché 5€"
                                      << "Caff\xE8\r\n[Box]: Perch\xE9 5\x80" + record;
    QTest::addRow("westernNewFile_ansi") << 1252u << none << "" << "Perché" << "[Box]: Perch\xE9" + record;
    QTest::addRow("westernFileBeyondIt_utf8") << 1252u << QByteArray("Caff\xE8\r\n") << "Caffè\r\n" << "Ж"
                                              << "Caff\xC3\xA8\r\n[Box]: \xD0\x96" + record;
    QTest::addRow("cyrillicFile_kept") << 1251u << QByteArray("\xE8\xED\xE4\r\n") << "инд\r\n" << "Ж"
                                       << "\xE8\xED\xE4\r\n[Box]: \xC6" + record;
    QTest::addRow("cyrillicNewFile_ansi") << 1251u << none << "" << "Ж" << "[Box]: \xC6" + record;
    QTest::addRow("cyrillicFileBeyondIt_utf8") << 1251u << QByteArray("\xE8\r\n") << "и\r\n" << "è"
                                               << "\xD0\xB8\r\n[Box]: \xC3\xA8" + record;
    QTest::addRow("utf8File_staysUtf8") << 1251u << QByteArray("\xD0\x96\r\n") << "Ж\r\n" << "Ж"
                                        << "\xD0\x96\r\n[Box]: \xD0\x96" + record;
}

void TestWindows::eightBitFileStaysInTheAnsiCodePage()
{
    QFETCH(uint, codePage);
    QFETCH(QByteArray, onDisk);
    QFETCH(QString, shown);
    QFETCH(QString, box);
    QFETCH(QByteArray, saved);
    if (GetACP() != codePage)
        QSKIP(qPrintable(QStringLiteral("for the ANSI code page %1; this is %2").arg(codePage).arg(GetACP())));
    if (!onDisk.isNull())
        writeSettledInventory(onDisk);
    createForm();
    QVERIFY(m_form->Form_Load());
    QCOMPARE(m_form->listText(), shown);
    control<QLineEdit>("Text1")->setText(box);
    control<QLineEdit>("Text2")->setText("X");
    click("Command3");
    click("Command4");
    QVERIFY2(m_messages.warnings.isEmpty(), qPrintable(m_messages.warnings.join('\n')));
    QCOMPARE(inventoryBytes(), saved);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
