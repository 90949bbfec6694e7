// Windows-1250, the single-byte code page of the transmitter's note and of configuration files.
// A table of its upper half; no dependency on the platform's codecs.
#pragma once

#include <QByteArray>
#include <QString>

namespace vl48 {

// Whether the character has a byte in Windows-1250.
bool cp1250CanEncode(QChar c);
// The bytes of a text; characters the code page cannot hold become "?" and clear *ok.
QByteArray toCp1250(const QString& text, bool* ok = nullptr);
// The text of bytes; the five bytes the code page leaves undefined become U+FFFD.
QString fromCp1250(const QByteArray& bytes);
// The bytes of `text`, a text first shown for the bytes `read` and perhaps edited since: the part
// left as read keeps the bytes read, undefined ones included (encoding their U+FFFD would give
// "?"); only what was changed is encoded anew. With nothing read, toCp1250(text).
QByteArray toCp1250Keeping(const QString& text, const QByteArray& read);

}  // namespace vl48
