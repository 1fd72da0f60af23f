// The bytes of a QByteArray as the frame functions take them.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace comm_test {

inline const uint8_t *u8(const QByteArray &b)
{
    return reinterpret_cast<const uint8_t *>(b.constData());
}

} // namespace comm_test
