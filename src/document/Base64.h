// Base64 as the wizard file carries embedded files: 76-character lines on
// writing, any whitespace ignored on reading.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

constexpr int kBase64LineLength = 76;

QByteArray encodeBase64Lines(const QByteArray &bytes);
// False on a character outside the alphabet or a malformed end; out is then empty.
bool decodeBase64(const QByteArray &text, QByteArray &out);
// The number of bytes decodeBase64 gives for text, without decoding; -1 where
// it would fail.
qsizetype decodedBase64Size(const QByteArray &text);
// Why decodeBase64 refuses text, in words for a message ("'=' in mid-stream");
// empty when it does not.
QString base64Problem(const QByteArray &text);

} // namespace stepvane
