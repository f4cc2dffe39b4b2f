#include "recordgenerator.h"

#include <QRandomGenerator>

#include <array>

namespace Bench {

namespace {

struct TypeShare
{
    const char16_t *name;
    int weight; // out of 100
};

// Resistors and capacitors fill most drawers.
constexpr std::array<TypeShare, 11> Types = {{
    {u"Resistenza", 30},
    {u"Condensatore", 22},
    {u"Induttanza", 5},
    {u"Transistor", 10},
    {u"RF Transistor", 3},
    {u"Quarzo", 4},
    {u"Risuonatore", 2},
    {u"Socket", 4},
    {u"IC", 12},
    {u"MicroChip", 5},
    {u"Varie", 3},
}};

enum TypeIndex {
    Resistor,
    Capacitor,
    Inductor,
    Transistor,
    RfTransistor,
    Crystal,
    Resonator,
    Socket,
    Ic,
    MicroChip,
    Misc
};

constexpr std::array<int, 12> E12 = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};

const QStringList CapacitorValues
    = {"10pF",  "22pF", "27pF", "33pF", "47pF",  "100pF", "220pF", "470pF",  "1nF",   "2.2nF",
       "4.7nF", "10nF", "22nF", "47nF", "100nF", "100nF", "220nF", "470nF",  "1uF",   "2.2uF",
       "4.7uF", "10uF", "22uF", "47uF", "100uF", "220uF", "470uF", "1000uF", "2200uF"};
const QStringList CapacitorVoltages = {"16V", "25V", "35V", "50V", "63V"};
const QStringList InductorValues
    = {"1uH", "4.7uH", "10uH", "22uH", "47uH", "100uH", "220uH", "470uH", "1mH", "4.7mH", "10mH"};
const QStringList Transistors
    = {"BC547",   "BC547B",  "BC548",  "BC549C", "BC557", "BC558", "BC337",  "BC327",  "2N2222",
       "2N2222A", "2N2907",  "2N3904", "2N3906", "BD139", "BD140", "TIP31C", "TIP32C", "TIP120",
       "IRF540N", "IRFZ44N", "BS170",  "2N7000", "BC639", "BC640", "2N3055"};
const QStringList RfTransistors = {"BFR91",  "BFR96",  "BFR90",  "BF199",   "BF494", "BFG135",
                                   "2N5109", "2N4427", "MRF237", "2SC1971", "BFW92"};
const QStringList Crystals
    = {"4MHz",  "4.9152MHz", "8MHz",      "10MHz",       "11.0592MHz", "12MHz",
       "16MHz", "20MHz",     "32.768kHz", "3.579545MHz", "27.145MHz"};
const QStringList Resonators
    = {"CSTLS4M00", "CSTLS8M00", "CSTLS16M0", "CSB455E", "455kHz", "10.7MHz", "CDA10.7"};
const QStringList Sockets = {"DIP8",  "DIP14", "DIP16",  "DIP18", "DIP20", "DIP24",
                             "DIP28", "DIP40", "PLCC44", "ZIF28", "ZIF40", "SIP8"};
const QStringList Ics
    = {"NE555",   "NE556",  "LM317",  "LM337",   "LM358",  "LM324",  "LM386",  "LM393",   "LM7805",
       "LM7812",  "LM7905", "TL071",  "TL072",   "TL074",  "UA741",  "NE5532", "MAX232",  "ULN2803",
       "CD4017",  "CD4011", "CD4060", "74HC00",  "74HC04", "74HC14", "74HC74", "74HC138", "74HC164",
       "74HC595", "74LS00", "74LS04", "74LS138", "L293D",  "LM2576"};
const QStringList MicroChips
    = {"PIC16F84A", "PIC16F628A", "PIC16F877A", "PIC12F675", "PIC18F4550", "ATmega328P", "ATmega8",
       "ATtiny85",  "ATtiny2313", "24LC256",    "24C02",     "93C46",      "AT89C2051"};
const QStringList Miscellaneous = {
    "1N4148",   "1N4007",    "1N5819",      "Zener 5V1",   "Led rosso",         "Led verde 3mm",
    "Relè 12V", "Pulsante",  "Trimmer 10k", "Fusibile 1A", "Dissipatore TO220", "Morsetto 2 poli",
    "Buzzer",   "Deviatore", "Ponte 2A"};

// 4k7, 10k, 220R, 1M: the value's digits with the unit letter as decimal point.
QString ResistorValue(int mantissa, int exponent)
{
    constexpr std::array<char16_t, 3> Units = {u'R', u'k', u'M'};
    const QChar unit = Units[exponent / 3];
    switch (exponent % 3) {
    case 0:
        return mantissa % 10 == 0
                 ? QString::number(mantissa / 10) + unit
                 : QString::number(mantissa / 10) + unit + QString::number(mantissa % 10);
    case 1:
        return QString::number(mantissa) + unit;
    default:
        return QString::number(mantissa * 10) + unit;
    }
}

class Generator
{
public:
    QStringList records(int count)
    {
        QStringList lines;
        lines.reserve(count);
        while (lines.size() < count) {
            const QString box = nextBox();
            const int runType = nextType();
            const int runLength = 1 + below(12);
            for (int i = 0; i < runLength && lines.size() < count; ++i) {
                const int type = below(10) < 7 ? runType : nextType();
                lines << record(box, code(type), quantity(type), type);
            }
        }
        plantRareRecords(lines);
        return lines;
    }

private:
    int below(int bound) { return int(m_random.bounded(bound)); }
    const QString &pick(const QStringList &list) { return list[below(int(list.size()))]; }

    int nextType()
    {
        int roll = below(100);
        for (int i = 0; i < int(Types.size()); ++i) {
            roll -= Types[i].weight;
            if (roll < 0)
                return i;
        }
        return Misc;
    }

    QString nextBox()
    {
        const int kind = below(100);
        const QChar letter = QChar(u'A' + below(8));
        if (kind < 55) // a small drawer cabinet: A1 .. H12
            return letter + QString::number(1 + below(12));
        if (kind < 75)
            return QStringLiteral("Cassetto %1").arg(1 + below(48));
        if (kind < 95)
            return QStringLiteral("Scatola %1%2").arg(letter).arg(1 + below(9));
        return QStringLiteral("Busta %1").arg(1 + below(30));
    }

    QString code(int type)
    {
        switch (type) {
        case Resistor:
            return ResistorValue(E12[below(int(E12.size()))], below(7));
        case Capacitor: {
            const QString value = pick(CapacitorValues);
            // Electrolytics carry their voltage.
            return value.endsWith(u"uF") && below(2) == 0 ? value + u' ' + pick(CapacitorVoltages)
                                                          : value;
        }
        case Inductor:
            return pick(InductorValues);
        case Transistor:
            return pick(Transistors);
        case RfTransistor:
            return pick(RfTransistors);
        case Crystal:
            return pick(Crystals);
        case Resonator:
            return pick(Resonators);
        case Socket:
            return pick(Sockets);
        case Ic:
            return pick(Ics);
        case MicroChip:
            return pick(MicroChips);
        default:
            return pick(Miscellaneous);
        }
    }

    QString quantity(int type)
    {
        static const QList<int> Loose = {5, 10, 10, 20, 25, 50, 100, 100, 200, 1000};
        if (type == Resistor || type == Capacitor)
            return QString::number(below(3) == 0 ? 1 + below(9) : Loose[below(int(Loose.size()))]);
        if (type == Transistor || type == Misc)
            return QString::number(1 + below(30));
        return QString::number(1 + below(8));
    }

    static QString record(const QString &box, const QString &code, const QString &quantity,
                          int type)
    {
        return QStringLiteral("[Box]: %1 [Item]: %2 [Nr]: %3 [Type]: %4")
            .arg(box, code, quantity, QString::fromUtf16(Types[type].name));
    }

    // Spread evenly over the file, in place of generated lines.
    static void plantRareRecords(QStringList &lines)
    {
        for (int i = 1; i <= PlantedRecords; ++i) {
            const qsizetype at = lines.size() * i / (PlantedRecords + 1);
            if (at < lines.size())
                lines[at] = record(QStringLiteral("Scatola Z%1").arg(i), RareCode.toString(),
                                   QString::number(i), Ic);
        }
    }

    QRandomGenerator m_random{20240517u};
};

} // namespace

QStringList GenerateRecords(int count)
{
    return Generator().records(count);
}

QByteArray InventoryBytes(const QStringList &records)
{
    QByteArray bytes;
    for (const QString &record : records) {
        bytes += record.toUtf8();
        bytes += "\r\n";
    }
    bytes += "\r\n";
    return bytes;
}

} // namespace Bench
