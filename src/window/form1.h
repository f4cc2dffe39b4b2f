#pragma once

#include "inventoryfile.h"
#include "mouseclicks.h"
#include "recordline.h"
#include "searchfilter.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class ListDocuments;
class Messages;
class QLineEdit;

namespace Ui {
class Form1;
}

// The program's one window. It holds all state: the texts of its controls,
// the selected and the last composed record line. The inventory lives in
// pezzarium.txt inside folder.
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

    // The list's lines joined by CR LF, as the file holds them.
    QString listText() const;
    bool listShowsSearchResult() const { return m_listShowsSearchResult; }

private:
    QList<QLineEdit *> singleLineFields() const;
    void keepOnOneLine(QLineEdit *field);
    void fitLayoutToFont();
    void bindEvents();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Text2_Change();
    void Text4_Change();
    void Text5_Click();

    Inventory::RecordFields fields() const;
    void setFields(const Inventory::RecordFields &fields);
    // What ReplaceAll(listText(), selected, composed) gives, put into the list.
    void replaceInList(const QString &selected, const QString &composed);
    // The file's current text, when this window may overwrite it: nothing when
    // it cannot be read, or another program changed it and the user says no.
    std::optional<QString> inventoryToOverwrite();
    bool mayOverwriteInventory();
    bool writeInventory(QString text);
    void reportReadFailure(const Inventory::FileResult &failure);

    std::unique_ptr<Ui::Form1> ui;
    std::unique_ptr<ListDocuments> m_listDocuments;
    MouseClicks m_text5Clicks;
    Inventory::InventoryFile m_file;
    Inventory::WholeInventoryCache m_wholeInventory;
    Messages &m_messages;
    bool m_listShowsSearchResult = false;

    QString SelectedRecord;
    QString ComposedRecord;
};
