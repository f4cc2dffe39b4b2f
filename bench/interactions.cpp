#include "interactions.h"

#include "benchwindow.h"
#include "listtext.h"
#include "records.h"
#include "searchfilter.h"

#include <benchmark/benchmark.h>

#include <QJsonDocument>
#include <QPlainTextDocumentLayout>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryFile>

#include <sys/resource.h>

#include <array>
#include <map>

namespace {

const QString Narrow = RareCode.toString();
const QString Broad = QStringLiteral("N");
const QString Lower = Narrow.toLower();
const QString Nothing;

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

// The window at one size, kept across the benchmarks, and a bare list for the floors.
struct Session : BenchWindow
{
    explicit Session(int records) : BenchWindow(InventoryBytes(records)), records(records)
    {
        Inventory::InventoryFile file(folder());
        whole = Inventory::ListTextFromFile(file.readText().text);
        narrow = Inventory::FilterInventory(file, Narrow).listText;
        if (!start())
            qFatal("the window did not start");
        bare = BareList(list());
    }

    QString line(int number) { return list().document()->findBlockByNumber(number).text(); }
    // The list holds exactly text, and the search field query.
    bool shows(const QString &text, const QString &query)
    {
        return field("Text4").text() == query && listText() == text;
    }
    void showWhole()
    {
        if (!shows(whole, Nothing))
            emptySearch();
    }

    const int records;
    const QByteArray bytes = fileBytes();
    QString whole;  // the list text of the whole inventory
    QString narrow; // and of the search for the rare code
    std::unique_ptr<QPlainTextEdit> bare;
    const QString scratch = folder() + QStringLiteral("/floor.txt");
};

std::map<int, std::unique_ptr<Session>> Sessions;

// The session at state's size. Its targets go beside the figures, as counters: at most
// so many ms, and at 100,000 records 1.3x the floor when slower than one frame.
Session &At(benchmark::State &state, double max10k, double max100k)
{
    const int records = int(state.range(0));
    if (const double max = records > 10000 ? max100k : max10k; max > 0)
        state.counters["max_ms"] = max;
    if (records > 10000)
        state.counters["max_x_floor_above_frame"] = 1.3;
    std::unique_ptr<Session> &bench = Sessions[records];
    if (!bench)
        bench = std::make_unique<Session>(records);
    return *bench;
}

struct Work
{
    std::function<void()> prepare, act;
};

double Seconds(const Work &work)
{
    work.prepare();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    work.act();
    return double(timer.nsecsElapsed()) / 1e9;
}

// The window's interaction and its floor in turns, so that their ratio holds on
// a busy machine; each ends with a synchronous repaint. Both run twice, and the
// second run counts: it follows one of its own, as after a warm-up.
void Measure(benchmark::State &state, Session &bench, const Work &interaction,
             const std::function<bool()> &done, const Work &floor, QWidget *floorList = nullptr)
{
    QWidget &painted = floorList ? *floorList : *bench.bare;
    const Work window{interaction.prepare, [&] { interaction.act(); bench.paint(); }};
    const Work bare{floor.prepare, [&] { floor.act(); painted.repaint(); }};
    for (auto _ : state) {
        double seconds = 0, floorSeconds = 0;
        for (int run = 0; run < 2 && !state.error_occurred(); ++run) {
            seconds = Seconds(window);
            if (!bench.problem().isEmpty() || !done())
                state.SkipWithError(qPrintable(bench.problem() + " the result is wrong"));
            floorSeconds = Seconds(bare);
        }
        state.SetIterationTime(seconds);
        state.counters["floor_ms"] = floorSeconds * 1e3;
    }
}

// The bare list goes from before to after; only a repaint when they are the same.
Work BareShows(Session &bench, const QString &before, const QString &after)
{
    return {[&] { bench.bare->setPlainText(before); },
            [&] {
                if (&after != &before)
                    bench.bare->setPlainText(after);
            }};
}

// Before overwriting, the program compares the file with what it last saw:
// reading it once is part of the least that a save needs.
QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

void StartUp(benchmark::State &state)
{
    Session &bench = At(state, 50, 0);
    Measure(state, bench, {[&] { bench.close(); }, [&] { bench.start(); }},
            [&] { return bench.shows(bench.whole, QStringLiteral("...")); },
            BareShows(bench, Nothing, bench.whole));
}

// The last key of query typed into the search field, which holds the rest; the
// list shows the whole inventory or, while typing, what the rest found.
void Keystroke(benchmark::State &state, const QString &query, bool whileTyping, double max10k,
               double max100k)
{
    Session &bench = At(state, max10k, max100k);
    const QString &result = query == Broad ? bench.whole : bench.narrow;
    const QString rest = query.chopped(1);
    Measure(state, bench,
            {[&] { whileTyping ? bench.search(rest) : bench.showWhole(); bench.setSearch(rest); },
             [&] { bench.type(query.back().toLatin1()); }},
            [&] { return bench.shows(result, query.toUpper()); },
            BareShows(bench, whileTyping ? result : bench.whole, result));
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
    Measure(state, bench,
            {[&] { bench.search(Narrow); bench.type('a', Qt::ControlModifier); },
             [&] { bench.type('\b'); }},
            [&] { return bench.shows(bench.whole, Nothing); },
            {[&] { list->setDocument(&kept[0]); }, [&] { list->setDocument(&kept[1]); }},
            list.get());
}

void ClickRecord(benchmark::State &state)
{
    Session &bench = At(state, 50, 5);
    const int line = bench.records - 3;
    QPoint point;
    Measure(state, bench,
            {[&] { bench.showWhole(); point = bench.prepareClick(line); },
             [&] { Click(bench.list(), point); }},
            [&] { return bench.line(line).contains(bench.field("Text2").text() + " [Nr]"); },
            {[&] {
                 bench.bare->setPlainText(bench.whole);
                 point = PrepareClick(*bench.bare, line);
             },
             [&] { Click(*bench.bare, point); }});
}

void Insert(benchmark::State &state)
{
    Session &bench = At(state, 50, 5);
    const QString record = QStringLiteral("[Box]: Z9 [Item]: BC639 [Nr]: 7 [Type]: Transistor");
    Measure(state, bench,
            {[&] {
                 bench.showWhole();
                 bench.list().moveCursor(QTextCursor::End);
                 bench.fill(QStringLiteral("Z9"), QStringLiteral("BC639"), QStringLiteral("7"));
             },
             [&] { bench.press("Command3"); }},
            [&] { return bench.line(bench.records) == record; },
            {[&] {
                 bench.bare->setPlainText(bench.whole);
                 bench.bare->moveCursor(QTextCursor::End);
             },
             [&] { bench.bare->textCursor().insertText(record + QStringLiteral("\r\n")); }});
}

void Save(benchmark::State &state)
{
    Session &bench = At(state, 50, 0);
    qsizetype informed = 0;
    Measure(state, bench,
            {[&] { bench.showWhole(); informed = bench.messages().informations.size(); },
             [&] { bench.press("Command4"); }},
            [&] {
                return bench.messages().informations.size() == informed + 1
                    && bench.fileBytes() == bench.bytes;
            },
            // The widget's part, taking the text out of the list, and writing the file.
            {[&] { bench.bare->setPlainText(bench.whole); },
             [&] {
                 bench.bare->toPlainText();
                 ReadFile(bench.path());
                 WriteFile(bench.scratch, bench.bytes);
             }});
}

// Aggiorna on a record whose quantity was changed, each time to another one.
void Update(benchmark::State &state, bool onSearchResult)
{
    Session &bench = At(state, 50, 0);
    const int line = onSearchResult ? 1 : bench.records - 3;
    QString quantity;
    QString changed;
    Measure(state, bench,
            {[&] {
                 onSearchResult ? bench.search(Narrow) : bench.showWhole();
                 bench.select(line);
                 quantity = QString::number(quantity == u"70" ? 71 : 70);
                 bench.field("Text3").setText(quantity);
             },
             [&] { bench.press("Command6"); }},
            [&] {
                changed = bench.line(line);
                return changed.contains(QStringLiteral("[Nr]: %1 ").arg(quantity))
                    && bench.fileBytes().contains(changed.toUtf8());
            },
            // The one line changed in place, and the file written.
            {[&] { bench.bare->setPlainText(onSearchResult ? bench.narrow : bench.whole); },
             [&] {
                 QTextCursor cursor(bench.bare->document()->findBlockByNumber(line));
                 cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                 cursor.insertText(changed);
                 if (!onSearchResult)
                     bench.bare->toPlainText(); // the record is looked for in the list
                 ReadFile(bench.path());
                 WriteFile(bench.scratch, bench.bytes);
             }});
}

// grep -F as a process, timed by hyperfine, its output read through a pipe
// (written to /dev/null, GNU grep would stop at the first match). Both
// spellings of the query: the lines the program finds, on its retry for lower case.
double GrepMilliseconds(const QString &path, const QString &query)
{
    static std::map<QString, double> measured;
    const QString grep = QStringLiteral("grep -F -e %1 -e %2 %3").arg(query, query.toUpper(), path);
    const auto [found, added] = measured.try_emplace(grep, NAN);
    QTemporaryFile json;
    QProcess hyperfine;
    if (added && json.open()) {
        hyperfine.start(QStringLiteral("hyperfine"), {"-N", "--output=pipe", "--warmup=3",
                                                      "--export-json", json.fileName(), grep});
        const QJsonDocument report = hyperfine.waitForFinished(-1) && hyperfine.exitCode() == 0
                                       ? QJsonDocument::fromJson(json.readAll()) : QJsonDocument();
        found->second = report["results"][0]["median"].toDouble(NAN);
    }
    return found->second * 1e3;
}

// The search without the window, reading the file as grep does.
void SearchPass(benchmark::State &state, const QString &query)
{
    Session &bench = At(state, 0, 0);
    state.counters.erase("max_x_floor_above_frame");
    state.counters["max_x_floor"] = 1;
    for (auto _ : state) {
        Inventory::FilterResult found;
        const Work search{[] {}, [&] {
                              Inventory::InventoryFile file(bench.folder());
                              found = Inventory::FilterInventory(file, query);
                          }};
        Seconds(search); // as in Measure, the timed run follows one of its own
        state.SetIterationTime(Seconds(search));
        if (found.listText.count(u'\n') != (query == Broad ? bench.records : RareRecords))
            state.SkipWithError("the search found other lines");
    }
    if (const double grep = GrepMilliseconds(bench.path(), query); grep > 0)
        state.counters["floor_ms"] = grep;
    else
        state.SkipWithError("hyperfine could not time grep");
}

// The peak of a session: start-up, a broad and a narrow search, the whole list
// again, a click, Aggiorna, Inserisci and Salva.
void PeakMemory(benchmark::State &state)
{
    const int records = int(state.range(0));
    for (auto _ : state) {
        BenchWindow window(InventoryBytes(records));
        // What the process held before does not count.
        QFile peak(QStringLiteral("/proc/self/clear_refs"));
        if (!peak.open(QIODevice::WriteOnly) || peak.write("5") != 1 || !peak.flush())
            state.SkipWithError("cannot reset the peak");
        QElapsedTimer timer;
        timer.start();
        window.start();
        window.search(Broad);
        window.search(Narrow);
        window.emptySearch();
        window.select(records - 3);
        window.field("Text3").setText(QStringLiteral("99"));
        window.press("Command6");
        window.fill(QStringLiteral("Z9"), QStringLiteral("BC639"), QStringLiteral("7"));
        window.press("Command3");
        window.press("Command4");
        window.paint();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_MB"] = double(usage.ru_maxrss) * 1024 / 1e6;
        if (!window.problem().isEmpty() || window.messages().informations.size() != 1)
            state.SkipWithError("the bench went wrong");
    }
    if (records > 10000)
        state.counters["max_MB"] = 150;
}

// One iteration per repetition, seven repetitions; their median and spread are reported.
void AtBothSizes(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark->Iterations(1)->Repetitions(7)->DisplayAggregatesOnly();
}

// First, in a fresh process: one session at each size.
BENCHMARK(PeakMemory)->Arg(10000)->Arg(100000)->UseManualTime()->Iterations(1);
BENCHMARK(StartUp)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, narrow, Narrow, false, 5, 25)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, narrow_typing, Narrow, true, 5, 25)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, broad_first, Broad, false, 50, 10)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Keystroke, lower_case, Lower, false, 50, 0)->Apply(AtBothSizes);
BENCHMARK(EmptySearch)->Apply(AtBothSizes);
BENCHMARK(ClickRecord)->Apply(AtBothSizes);
BENCHMARK(Insert)->Apply(AtBothSizes);
BENCHMARK(Save)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Update, whole_list, false)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(Update, search_result, true)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, narrow, Narrow)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, broad, Broad)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(SearchPass, lower_case, Lower)->Apply(AtBothSizes);

} // namespace

void FreeInteractions()
{
    Sessions.clear();
}
