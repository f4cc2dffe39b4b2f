#include "messages.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

void MessageBoxes::inform(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), text);
}

void MessageBoxes::warn(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text);
}

bool MessageBoxes::ask(QWidget *parent, const QString &text)
{
    return QuestionBox(parent, text)->exec() == QMessageBox::Yes;
}

std::unique_ptr<QMessageBox> QuestionBox(QWidget *parent, const QString &text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QCoreApplication::applicationName(),
                                             text, QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    // A message box clicks the button whose mnemonic letter is typed, Alt or
    // not: "&Sì" would answer to the "S" of "BS170" typed into the search.
    for (QAbstractButton *button : box->buttons())
        button->setText(button->text().remove(u'&'));
    return box;
}
