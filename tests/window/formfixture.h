#pragma once

#include "form1.h"
#include "recordingmessages.h"
#include "testfiles.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

// A window on an inventory folder of its own, with its messages recorded.
class FormFixture
{
protected:
    // Call from init(): a fresh, empty folder and no window yet.
    void resetFolder()
    {
        m_form.reset();
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        m_messages = {};
    }

    void createForm() { m_form = std::make_unique<Form1>(m_folder->path(), m_messages); }

    QString inventoryPath() const { return m_folder->filePath(QStringLiteral("pezzarium.txt")); }

    // modified: as WriteFile's.
    void writeInventory(const QByteArray &bytes, std::optional<QDateTime> modified = {})
    {
        QVERIFY(WriteFile(inventoryPath(), bytes, modified));
    }

    QByteArray inventoryBytes() const { return FileBytes(inventoryPath()); }

    template<typename T> T *control(const char *name) { return m_form->findChild<T *>(name); }
    void click(const char *button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Form1> m_form;
    RecordingMessages m_messages;
};
