#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

// Stops the run when an invariant fails; libFuzzer then keeps the input as a
// crash artifact. Unlike Q_ASSERT it stays on in every build type.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : qFatal("%s:%d: check failed: %s", __FILE__, __LINE__, #condition))

// The bytes read as little-endian UTF-16 code units, lone surrogates
// included, so every QChar value is reachable; an odd last byte is dropped.
inline QString Utf16FromBytes(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    QChar *out = text.data();
    for (size_t i = 0; i + 1 < size; i += 2)
        *out++ = QChar(char16_t(data[i] | data[i + 1] << 8));
    return text;
}
