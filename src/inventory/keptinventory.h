#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace Inventory {

// Which text of the file something was made from: each change of the kept
// text gives a new version, so whoever keeps something made from it (the
// list's laid-out whole inventory) can tell by the version alone whether it
// still shows what the file holds.
class TextVersion
{
public:
    TextVersion() = default;
    friend bool operator==(TextVersion, TextVersion) = default;

private:
    friend class KeptInventory;
    explicit TextVersion(quint64 number) : m_number(number) {}
    quint64 m_number = 0;
};

// The inventory's text as this window last read or wrote it, and the whole
// inventory as the list shows it (every non-empty line and a CR LF), made
// from that text at most once. The strings handed out share their data with
// the kept ones: equal strings that share their data compare at once.
class KeptInventory
{
public:
    const QString &text() const { return m_text; }
    TextVersion version() const { return m_version; }

    // Keeps text. Only a text other than the kept one gives a new version.
    void keep(const QString &text);

    // The whole inventory of the kept text.
    const QString &wholeInventory();

    // The list that loading the kept text gives is the whole inventory as
    // well when no empty line is left in it: then it is kept as such, so
    // that it is not made a second time, and its version is given.
    std::optional<TextVersion> offerAsWholeInventory(const QString &loadedList);

private:
    QString m_text;
    TextVersion m_version;
    QString m_wholeInventory; // null until asked for
};

} // namespace Inventory
