#include "formfixture.h"
#include "loadedlist.h"
#include "searchfilter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTextBlock>

#include <sys/resource.h>

#include <array>
#include <map>
#include <optional>

namespace {

// A code that only a few records carry, spread over the file.
const QString Narrow = QStringLiteral("ZX9099");
constexpr int RareRecords = 5;
const QString Broad = QStringLiteral("N");
const QString NewRecord = QStringLiteral("[Box]: Z9 [Item]: BC639 [Nr]: 7 [Type]: Transistor");

// count records as the program saves them: runs of components in one box,
// mostly of one type; the same bytes on every call.
QByteArray InventoryBytes(int count)
{
    // Each type with its share of the drawers, out of 100, and some of its codes.
    static const QList<std::tuple<QString, int, QStringList>> Kinds = {
        {"Resistenza", 30, {"10R", "220R", "470R", "1k", "2k2", "4k7", "10k", "47k", "100k", "1M"}},
        {"Condensatore", 22, {"22pF", "1nF", "10nF", "100nF", "1uF", "10uF 25V", "470uF 25V"}},
        {"Induttanza", 5, {"10uH", "47uH", "100uH", "1mH"}},
        {"Transistor", 10, {"BC547", "BC557", "2N2222", "2N3904", "BD139", "TIP120", "IRF540N"}},
        {"RF Transistor", 3, {"BFR91", "BF199", "2N5109", "MRF237"}},
        {"Quarzo", 4, {"4MHz", "8MHz", "16MHz", "32.768kHz"}},
        {"Risuonatore", 2, {"CSTLS4M00", "455kHz", "10.7MHz"}},
        {"Socket", 4, {"DIP8", "DIP14", "DIP16", "DIP28", "ZIF40"}},
        {"IC", 12, {"NE555", "LM317", "LM358", "TL072", "74HC595", "CD4017", "MAX232"}},
        {"MicroChip", 5, {"PIC16F84A", "ATmega328P", "ATtiny85", "24LC256"}},
        {"Varie", 3, {"1N4148", "1N4007", "Relè 12V", "Led rosso", "Fusibile 1A"}},
    };
    const QStringList boxes = {"A%1", "Cassetto %1", "Scatola B%1", "Busta %1"};
    QRandomGenerator random(20240517u);
    const auto below = [&](int bound) { return int(random.bounded(bound)); };
    const auto kind = [&] {
        int roll = below(100);
        for (qsizetype index = 0;; ++index)
            if ((roll -= std::get<int>(Kinds[index])) < 0)
                return index;
    };
    const int spacing = count / (RareRecords + 1);
    QString text;
    for (int written = 0; written < count;) {
        const QString box = boxes[below(4)].arg(1 + below(40));
        const qsizetype runKind = kind();
        for (int run = 1 + below(12); run > 0 && written < count; --run) {
            const auto &[type, share, codes] = Kinds[below(10) < 7 ? runKind : kind()];
            const bool rare = ++written % spacing == 0 && written / spacing <= RareRecords;
            text += QStringLiteral("[Box]: %1 [Item]: %2 [Nr]: %3 [Type]: %4\r\n")
                        .arg(rare ? QStringLiteral("Z%1").arg(written) : box,
                             rare ? Narrow : codes[below(int(codes.size()))])
                        .arg(1 + below(100))
                        .arg(type);
        }
    }
    return (text + QStringLiteral("\r\n")).toUtf8();
}

using Step = std::function<void()>;

// Scrolls line into view with the caret on a neighbouring line, so that a
// click has something to do; returns the click on line.
Step PrepareClick(QPlainTextEdit &list, int line)
{
    const QTextBlock block = list.document()->findBlockByNumber(line);
    QTextCursor caret(block);
    caret.setPosition(block.position() + qMin(20, block.length() - 1));
    list.setTextCursor(caret);
    // Moving the caret may scroll the view: the point is taken after it.
    list.setTextCursor(QTextCursor(block.next().isValid() ? block.next() : block.previous()));
    const QPoint point = list.cursorRect(caret).center() + QPoint(1, 0);
    return [&list, point] { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point); };
}

// A shown list like the window's, for the floors: its size, scroll bars and wrapping.
std::unique_ptr<QPlainTextEdit> BareList(const QPlainTextEdit &like)
{
    auto list = std::make_unique<QPlainTextEdit>();
    list->resize(like.size());
    list->setVerticalScrollBarPolicy(like.verticalScrollBarPolicy());
    list->setHorizontalScrollBarPolicy(like.horizontalScrollBarPolicy());
    list->setLineWrapMode(like.lineWrapMode());
    list->show();
    if (!QTest::qWaitForWindowExposed(list.get()))
        qFatal("the bare list did not show");
    return list;
}

// The program's window on an inventory of its own, driven through its controls
// as a user drives it; with floors, also started, with the texts that the checks
// compare and a bare list for the floors.
struct Session : FormFixture
{
    using FormFixture::click, FormFixture::inventoryBytes, FormFixture::inventoryPath;
    using FormFixture::m_folder, FormFixture::m_form, FormFixture::m_messages;

    Session(int records, bool floors) : records(records)
    {
        resetFolder();
        const QByteArray inventory = InventoryBytes(records);
        // Dated back, as the program usually finds its file: the text of one
        // modified within the last seconds is compared on every look.
        if (!WriteFile(inventoryPath(), inventory, QDateTime::currentDateTime().addDays(-1)))
            qFatal("cannot write the inventory and date it back");
        if (!floors)
            return;
        bytes = inventory;
        Inventory::ChangeTracker read(m_folder->path());
        whole = Inventory::LoadedList(read.readText()->text);
        narrow = Inventory::FilterInventory(read, Narrow)->listText;
        if (!start())
            qFatal("the window did not start");
        bare = BareList(list());
    }

    // Constructs the window, loads the inventory, shows and paints it.
    bool start()
    {
        createForm();
        const bool started = m_form->Form_Load() && QTest::qWaitForWindowExposed(m_form.get());
        paint();
        return started;
    }
    QPlainTextEdit &list() { return *control<QPlainTextEdit>("Text5"); }
    QString line(int number) { return list().document()->findBlockByNumber(number).text(); }
    QLineEdit &field(const char *name) { return *control<QLineEdit>(name); }
    void paint() { m_form->repaint(); }
    void type(char key, Qt::KeyboardModifiers with = {}) { QTest::keyClick(&field("Text4"), key, with); }
    // The search field holds all of text but its last key, which is typed.
    void search(const QString &text) { field("Text4").setText(text.chopped(1)); type(text.back().toLatin1()); }
    // The whole inventory in the list, by a key press that empties the search field.
    void emptySearch() { search(QStringLiteral("x\b")); }
    void showWhole()
    {
        if (!shows(whole, {}, false))
            emptySearch();
    }
    // The list holds exactly text, the search field query, and the window
    // knows whether that is a search result.
    bool shows(const QString &text, const QString &query, bool searchResult)
    {
        return field("Text4").text() == query && m_form->listShowsSearchResult() == searchResult
            && m_form->listText() == text;
    }
    void fill(const QString &box, const QString &code, const QString &quantity)
    {
        field("Text1").setText(box);
        field("Text2").setText(code);
        field("Text3").setText(quantity);
        control<QComboBox>("Combo1")->setEditText(QStringLiteral("Transistor"));
    }
    QString fieldsRecord()
    {
        return QStringLiteral("[Box]: %1 [Item]: %2 [Nr]: %3 [Type]: %4")
            .arg(field("Text1").text(), field("Text2").text(), field("Text3").text(),
                 control<QComboBox>("Combo1")->currentText());
    }
    void fillNewRecord() { fill(QStringLiteral("Z9"), QStringLiteral("BC639"), QStringLiteral("7")); }
    // Empties the fields that a click on line fills; the click.
    Step prepareClick(int line) { fill({}, {}, {}); return PrepareClick(list(), line); }
    // Selects line by a click and types quantity over its quantity.
    void change(int line, const QString &quantity) { prepareClick(line)(); field("Text3").setText(quantity); }
    // The last warning or question the window showed, if any.
    QString problem() const
    {
        const QStringList shown = m_messages.warnings + m_messages.questions;
        return shown.isEmpty() ? QString() : shown.last();
    }

    QPlainTextEdit &bareShowing(const QString &text) { bare->setPlainText(text); return *bare; }
    // What a save needs: the text taken out of the list, when it writes the list;
    // one read of the file, which it compares with what the window last saw; the write.
    void saveFloor(bool ofList)
    {
        if (ofList)
            bare->toPlainText();
        QFile read(inventoryPath());
        QSaveFile write(m_folder->filePath(QStringLiteral("floor.txt")));
        if (!read.open(QIODevice::ReadOnly) || read.readAll().isEmpty() || !write.open(QIODevice::WriteOnly)
            || write.write(bytes) != bytes.size() || !write.commit())
            qFatal("cannot read the inventory or write the floor's file");
    }

    const int records;
    QByteArray bytes; // the inventory as generated
    QString whole;    // its list text
    QString narrow;   // and that of the search for the rare code
    std::unique_ptr<QPlainTextEdit> bare;
    std::map<QString, double> grepSeconds; // by query
};

std::map<int, Session> Sessions;

// The session at state's size. Its targets go beside the figures, as counters: at most
// so many ms, and at 100,000 records 1.3x the floor when slower than one frame.
Session &At(benchmark::State &state, double max10k, double max100k)
{
    const int records = int(state.range(0));
    if (const double max = records > 10000 ? max100k : max10k; max > 0)
        state.counters["max_ms"] = max;
    if (records > 10000)
        state.counters["max_x_floor_above_frame"] = 1.3;
    return Sessions.try_emplace(records, records, true).first->second;
}

// The seconds that act takes, once prepare and the events it left are done.
double Seconds(const Step &prepare, const Step &act)
{
    prepare();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    act();
    return double(timer.nsecsElapsed()) / 1e9;
}

// The window's interaction and its floor in turns, so that their ratio holds on a busy machine;
// each ends with a synchronous repaint, and what the window did is checked after it, untimed.
// Both run twice, and the second run counts: it follows one of its own, as after a warm-up.
void Measure(benchmark::State &state, Session &bench, const Step &prepare, const Step &act,
             const std::function<bool()> &done, const Step &floorPrepare, const Step &floorAct,
             QWidget *floorList = nullptr)
{
    QWidget &painted = floorList ? *floorList : *bench.bare;
    for (auto _ : state) {
        double seconds = 0, floor = 0;
        for (int run = 0; run < 2 && !state.error_occurred(); ++run) {
            seconds = Seconds(prepare, [&] { act(); bench.paint(); });
            if (const QString problem = bench.problem(); !problem.isEmpty() || !done())
                state.SkipWithError(qPrintable(problem.isEmpty() ? QString("the result is wrong") : problem));
            floor = Seconds(floorPrepare, [&] { floorAct(); painted.repaint(); });
        }
        state.SetIterationTime(seconds);
        state.counters["floor_ms"] = floor * 1e3;
    }
}

void StartUp(benchmark::State &state)
{
    Session &bench = At(state, 50, 0);
    Measure(state, bench, [&] { bench.m_form.reset(); }, [&] { bench.start(); },
            [&] { return bench.shows(bench.whole, QStringLiteral("..."), false); },
            [&] { bench.bareShowing({}); }, [&] { bench.bare->setPlainText(bench.whole); });
}

// The last key of query typed into the search field, which holds the rest; the
// list shows the whole inventory or, while typing, what the rest found. The
// bare list goes from that to the result: only a repaint when they are the same.
void Keystroke(benchmark::State &state, const QString &query, bool whileTyping, double max10k, double max100k)
{
    Session &bench = At(state, max10k, max100k);
    const QString &result = query == Broad ? bench.whole : bench.narrow;
    const QString &before = whileTyping ? result : bench.whole;
    const QString rest = query.chopped(1);
    Measure(state, bench,
            [&] { whileTyping ? bench.search(rest) : bench.showWhole(); bench.field("Text4").setText(rest); },
            [&] { bench.type(query.back().toLatin1()); },
            [&] { return bench.shows(result, query.toUpper(), true); },
            [&] { bench.bareShowing(before); },
            &before == &result ? Step([] {}) : Step([&] { bench.bare->setPlainText(result); }));
}

void EmptySearch(benchmark::State &state)
{
    Session &bench = At(state, 50, 16);
    // The floor shows again a document kept from before, already laid out.
    std::array<QTextDocument, 2> kept;
    const auto list = BareList(bench.list());
    for (QTextDocument &document : kept) {
        document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
        document.setPlainText(&document == &kept[0] ? bench.narrow : bench.whole);
        list->setDocument(&document);
        list->repaint();
    }
    Measure(state, bench, [&] { bench.search(Narrow); bench.type('a', Qt::ControlModifier); },
            [&] { bench.type('\b'); }, [&] { return bench.shows(bench.whole, {}, false); },
            [&] { list->setDocument(&kept[0]); }, [&] { list->setDocument(&kept[1]); }, list.get());
}

void ClickRecord(benchmark::State &state)
{
    Session &bench = At(state, 50, 5);
    const int line = bench.records - 3;
    Step click;
    Measure(state, bench, [&] { bench.showWhole(); click = bench.prepareClick(line); }, [&] { click(); },
            [&] { return bench.line(line) == bench.fieldsRecord(); },
            [&] { click = PrepareClick(bench.bareShowing(bench.whole), line); }, [&] { click(); });
}

void Insert(benchmark::State &state)
{
    Session &bench = At(state, 50, 5);
    Measure(state, bench,
            [&] { bench.showWhole(); bench.list().moveCursor(QTextCursor::End); bench.fillNewRecord(); },
            [&] { bench.click("Command3"); }, [&] { return bench.line(bench.records) == NewRecord; },
            [&] { bench.bareShowing(bench.whole).moveCursor(QTextCursor::End); },
            [&] { bench.bare->textCursor().insertText(NewRecord + QStringLiteral("\r\n")); });
}

void Save(benchmark::State &state)
{
    Session &bench = At(state, 50, 0);
    QStringList &told = bench.m_messages.informations;
    Measure(state, bench, [&] { bench.showWhole(); told.clear(); }, [&] { bench.click("Command4"); },
            [&] { return told.size() == 1 && told[0].startsWith(QStringLiteral("Archivio salvato"))
                      && bench.inventoryBytes() == bench.bytes; },
            [&] { bench.bareShowing(bench.whole); }, [&] { bench.saveFloor(true); });
}

// Aggiorna on a record whose quantity was changed, each time to another one.
// The floor changes that one line in place and writes the file.
void Update(benchmark::State &state, bool onSearchResult)
{
    Session &bench = At(state, 50, 0);
    const int line = onSearchResult ? 1 : bench.records - 3;
    QString quantity, changed;
    Measure(state, bench,
            [&] {
                onSearchResult ? bench.search(Narrow) : bench.showWhole();
                quantity = QString::number(quantity == u"70" ? 71 : 70);
                bench.change(line, quantity);
            },
            [&] { bench.click("Command6"); },
            [&] {
                changed = bench.line(line);
                return changed.contains(QStringLiteral("[Nr]: %1 ").arg(quantity))
                    && bench.inventoryBytes().contains(changed.toUtf8());
            },
            [&] { bench.bareShowing(onSearchResult ? bench.narrow : bench.whole); },
            [&] {
                QTextCursor cursor(bench.bare->document()->findBlockByNumber(line));
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(changed);
                bench.saveFloor(!onSearchResult); // on the whole list, the record is looked for in it
            });
}

// The search without the window, reading the file as grep does. The floor: grep -F as a process,
// timed by hyperfine once per size, its output read through a pipe (written to /dev/null, GNU grep
// stops at the first match), with both spellings: the lines the program finds, on its retry.
void SearchPass(benchmark::State &state, const QString &query)
{
    Session &bench = At(state, 0, 0);
    state.counters.erase("max_x_floor_above_frame");
    state.counters["max_x_floor"] = 1;
    for (auto _ : state) {
        std::optional<Inventory::ChangeTracker> file; // new each time, made and dropped untimed
        Inventory::FileResult<Inventory::Found> found;
        const Step fresh = [&] {
            found = {};
            file.emplace(bench.m_folder->path());
        };
        const Step search = [&] { found = Inventory::FilterInventory(*file, query); };
        Seconds(fresh, search); // as in Measure, the timed run follows one of its own
        state.SetIterationTime(Seconds(fresh, search));
        if (!found.ok() || found->listText.count(u'\n') != (query == Broad ? bench.records : RareRecords))
            state.SkipWithError("the search found other lines");
    }
    const auto [grep, added] = bench.grepSeconds.try_emplace(query, 0);
    if (QProcess hyperfine; added) {
        hyperfine.startCommand(QStringLiteral("hyperfine -N --style=none --output=pipe --warmup=3 "
                                              "--export-json=/dev/stdout \"grep -F -e %1 -e %2 %3\"")
                                   .arg(query, query.toUpper(), bench.inventoryPath()));
        hyperfine.waitForFinished(-1);
        grep->second = QJsonDocument::fromJson(hyperfine.readAll())["results"][0]["median"].toDouble();
    }
    if (grep->second > 0)
        state.counters["floor_ms"] = grep->second * 1e3;
    else
        state.SkipWithError("hyperfine could not time grep");
}

// The peak of a session: start-up, a broad and a narrow search, the whole list
// again, a click, Aggiorna, Inserisci and Salva.
void PeakMemory(benchmark::State &state)
{
    const int records = int(state.range(0));
    if (records > 10000)
        state.counters["max_MB"] = 150;
    for (auto _ : state) {
        Session window(records, false);
        // What the process holds counts, not what it held before.
        QFile peak(QStringLiteral("/proc/self/clear_refs"));
        if (!peak.open(QIODevice::WriteOnly) || peak.write("5") != 1 || !peak.flush())
            state.SkipWithError("cannot reset the peak");
        window.start();
        window.search(Broad);
        window.search(Narrow);
        window.emptySearch();
        window.change(records - 3, QStringLiteral("99"));
        window.click("Command6");
        window.fillNewRecord();
        window.click("Command3");
        window.click("Command4");
        window.paint();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_MB"] = double(usage.ru_maxrss) * 1024 / 1e6;
        if (!window.problem().isEmpty() || window.m_messages.informations.size() != 1)
            state.SkipWithError("the session went wrong");
    }
}

// One iteration per repetition, seven repetitions; their median and spread are reported.
void AtBothSizes(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark->Iterations(1)->Repetitions(7)->DisplayAggregatesOnly();
}

// First, in a fresh process: one session at each size.
BENCHMARK(PeakMemory)->Arg(10000)->Arg(100000)->Iterations(1);
BENCHMARK(StartUp)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, narrow, Narrow, false, 5, 25)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, narrow_typing, Narrow, true, 5, 25)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, broad_first, Broad, false, 50, 10)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, lower_case, Narrow.toLower(), false, 50, 0)->Apply(AtBothSizes);
BENCHMARK(EmptySearch)->Apply(AtBothSizes);
BENCHMARK(ClickRecord)->Apply(AtBothSizes);
BENCHMARK(Insert)->Apply(AtBothSizes);
BENCHMARK(Save)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Update, whole_list, false)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Update, search_result, true)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, narrow, Narrow)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, broad, Broad)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, lower_case, Narrow.toLower())->Apply(AtBothSizes);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The windows close before the application ends.
    Sessions.clear();
}
