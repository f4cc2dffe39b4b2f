#include "records.h"

#include <QRandomGenerator>
#include <QStringList>

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
                             rare ? QString(RareCode) : codes[below(int(codes.size()))])
                        .arg(1 + below(100))
                        .arg(type);
        }
    }
    return (text + QStringLiteral("\r\n")).toUtf8();
}
