#include "formfixture.h"

#include <QAccessible>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// What a screen reader announces, and what the keyboard alone can do.
class TestAccessibility : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init();
    void controlsAreNamedForScreenReaders_data();
    void controlsAreNamedForScreenReaders();
    void keyboardReachesWhatTheMouseDoes_data();
    void keyboardReachesWhatTheMouseDoes();
};

void TestAccessibility::init()
{
    resetFolder();
    createForm();
    QVERIFY(m_form->Form_Load());
}

void TestAccessibility::controlsAreNamedForScreenReaders_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");

    QTest::addRow("box_field_named_by_its_label") << "Text1" << "Nome Cassetto" << "Label1";
    QTest::addRow("code_field_named_by_its_label") << "Text2" << "Sigla Componente" << "Label2";
    QTest::addRow("quantity_field_named_by_its_label") << "Text3" << "Numero" << "Label3";
#ifdef Q_OS_UNIX
    // On Unix Qt names a drop-down after its current text; screen readers take
    // the caption from the label relation instead.
    QTest::addRow("type_dropdown_labelled_by_its_caption") << "Combo1" << "..." << "Label5";
#else
    QTest::addRow("type_dropdown_named_by_its_label") << "Combo1" << "Tipologia" << "Label5";
#endif
    QTest::addRow("search_field_named_by_its_label") << "Text4" << "Ricerca" << "Label4";
    QTest::addRow("plus_named_in_words") << "Command1" << "Aumenta" << "";
    QTest::addRow("minus_named_in_words") << "Command2" << "Diminuisci" << "";
    QTest::addRow("list_named") << "Text5" << "Elenco componenti" << "";
}

void TestAccessibility::controlsAreNamedForScreenReaders()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    QFETCH(QString, label);

    QAccessibleInterface *announced =
        QAccessible::queryAccessibleInterface(control<QWidget>(qPrintable(field)));
    QVERIFY(announced);
    QCOMPARE(announced->text(QAccessible::Name), name);
    if (label.isEmpty())
        return;

    // The caption shown beside the field is reported as its label too.
    auto *caption = control<QLabel>(qPrintable(label));
    QList<QObject *> labels;
    for (const auto &relation : announced->relations(QAccessible::Label))
        labels << relation.first->object();
    QVERIFY(labels.contains(caption));
}

void TestAccessibility::keyboardReachesWhatTheMouseDoes_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("quantityAfter");
    QTest::addColumn<QString>("listAfter");
    QTest::addColumn<bool>("popupShown");

    // Each row starts with box A1, code BC547 and quantity 5 filled in.
    const int none = Qt::NoModifier;
    QTest::addRow("space_on_plus_steps_quantity_up")
        << "Command1" << int(Qt::Key_Space) << none << "Command1" << "6" << "" << false;
    QTest::addRow("space_on_minus_steps_quantity_down")
        << "Command2" << int(Qt::Key_Space) << none << "Command2" << "4" << "" << false;
    QTest::addRow("space_on_insert_appends_record")
        << "Command3" << int(Qt::Key_Space) << none << "Command3" << "0"
        << "[Box]: A1 [Item]: BC547 [Nr]: 5 [Type]: ...\r\n" << false;
    QTest::addRow("altdown_on_type_opens_its_list")
        << "Combo1" << int(Qt::Key_Down) << int(Qt::AltModifier) << "Combo1" << "5" << "" << true;
    QTest::addRow("tab_in_list_moves_on_inserting_nothing")
        << "Text5" << int(Qt::Key_Tab) << none << "Combo1" << "5" << "" << false;
    QTest::addRow("backtab_in_list_moves_back_inserting_nothing")
        << "Text5" << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "Text4" << "5" << ""
        << false;
}

void TestAccessibility::keyboardReachesWhatTheMouseDoes()
{
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focusAfter);
    QFETCH(QString, quantityAfter);
    QFETCH(QString, listAfter);
    QFETCH(bool, popupShown);

    control<QLineEdit>("Text1")->setText("A1");
    control<QLineEdit>("Text2")->setText("BC547");
    control<QLineEdit>("Text3")->setText("5");
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    control<QWidget>(qPrintable(start))->setFocus(Qt::TabFocusReason);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    auto *types = control<QComboBox>("Combo1");
    const bool shown = types->view()->isVisible();
    if (shown) {
        QTest::keyClick(types->view(), Qt::Key_Escape);
        QTRY_VERIFY(!types->view()->isVisible());
    }
    QCOMPARE(shown, popupShown);
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused);
    // The editable drop-down hands its focus to its own line edit.
    if (qobject_cast<QComboBox *>(focused->parentWidget()))
        focused = focused->parentWidget();
    QCOMPARE(focused->objectName(), focusAfter);
    QCOMPARE(control<QLineEdit>("Text3")->text(), quantityAfter);
    QCOMPARE(m_form->listText(), listAfter);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
