#pragma once

#include "changetracker.h"
#include "mouseclicks.h"
#include "recordline.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class GridFit;
class ListDocuments;
class Messages;

namespace Ui {
class Form1;
}

// The program's one window. It holds all state: the texts of its controls,
// the selected line, and in its change tracker what it last read or wrote of
// the inventory, pezzarium.txt inside folder.
//
// Controls and handlers, by the names the window has always had:
//   Text1  "Nome Cassetto"      Command1 "+"          Command1_Click
//   Text2  "Sigla Componente"   Command2 "-"          Command2_Click
//   Text3  "Numero"             Command3 "Inserisci"  Command3_Click
//   Combo1 "Tipologia"          Command4 "Salva"      Command4_Click
//   Text4  "Ricerca"            Command5 "Esci"       Command5_Click
//   Text5  the list             Command6 "Aggiorna"   Command6_Click
// Text4_Change runs the search as the user types; Text5_Click selects the
// record of the clicked line.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    Form1(const QString &folder, Messages &messages, QWidget *parent = nullptr);
    ~Form1() override;

    // Shows the window, loads the inventory and fills the type list. False when
    // the inventory exists but cannot be read: the program must then end
    // without saving.
    bool Form_Load();

    // The list's lines joined by CR LF, as the file holds them (its ListText).
    QString listText() const;
    bool listShowsSearchResult() const { return m_listShowsSearchResult; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void bindEvents();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Text4_Change();
    void Text5_Click();

    Inventory::RecordFields fields() const;
    void setFields(const Inventory::RecordFields &fields);
    // The one way to the file, for "Salva" and "Aggiorna": first the check
    // that no other program changed the file (or that the user agrees to
    // overwrite it), then textToWrite makes the text from the file's current
    // one. Nothing, with the reason told, when nothing was written. command:
    // the caption of the button pressed.
    std::optional<Inventory::Written>
    overwriteInventory(const QString &command,
                       const std::function<std::optional<Inventory::ListText>(QString fileText)> &textToWrite);
    void reportReadFailure(const Inventory::FileFailure &failure);
    // The second message after a save whose backup could not be refreshed.
    void reportBackup(const Inventory::Written &saved);

    std::unique_ptr<Ui::Form1> m_ui;
    std::unique_ptr<ListDocuments> m_listDocuments;
    std::unique_ptr<GridFit> m_gridFit;
    MouseClicks m_text5Clicks;
    Inventory::ChangeTracker m_file;
    Messages &m_messages;
    bool m_listShowsSearchResult = false;

    // The line of the last click that selected a record, until "Aggiorna"
    // has replaced it: pressing again must not touch the record twice.
    QString SelectedRecord;
    // What that line holds before its record, which "Aggiorna" keeps.
    QString m_textBeforeRecord;
};
