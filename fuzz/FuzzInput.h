#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdlib>

// What every fuzz target shares: the input as the program would receive it, and the one rule
// for a property that does not hold.
namespace FuzzInput {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text from the radio or a file: 8-bit characters, as the program reads them.
inline QString text(const uint8_t* data, size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input cut at each NUL byte: the parts a target hands to its reader one by one.
inline QList<QByteArray> parts(const uint8_t* data, size_t size) {
    return bytes(data, size).split('\0');
}

// A broken property is a finding like a crash: libFuzzer keeps the input that showed it.
inline void require(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace FuzzInput
