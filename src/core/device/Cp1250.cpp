#include "core/device/Cp1250.h"

#include <algorithm>

namespace vl48 {

namespace {
// Unicode of bytes 0x80..0xFF; 0 marks the undefined ones.
constexpr char16_t Upper[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

int byteOf(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return u;
    for (int i = 0; i < 128; ++i)
        if (Upper[i] == u && u != 0) return 0x80 + i;
    return -1;
}
}  // namespace

bool cp1250CanEncode(QChar c) { return byteOf(c) >= 0; }

QByteArray toCp1250(const QString& text, bool* ok) {
    QByteArray bytes;
    bytes.reserve(text.size());
    bool all = true;
    for (const QChar c : text) {
        const int b = byteOf(c);
        if (b < 0) all = false;
        bytes.append(char(b < 0 ? '?' : b));
    }
    if (ok) *ok = all;
    return bytes;
}

QByteArray toCp1250Keeping(const QString& text, const QByteArray& read) {
    // One character per byte: the same positions in the text shown and in the bytes read.
    const QString shown = fromCp1250(read);
    const qsizetype common = std::min(text.size(), shown.size());
    qsizetype head = 0;
    while (head < common && text[head] == shown[head]) ++head;
    qsizetype tail = 0;
    while (tail < common - head && text[text.size() - 1 - tail] == shown[shown.size() - 1 - tail])
        ++tail;
    return read.left(head) + toCp1250(text.mid(head, text.size() - head - tail)) + read.right(tail);
}

QString fromCp1250(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const uint8_t b = uint8_t(ch);
        if (b < 0x80)
            text.append(QChar(b));
        else
            text.append(QChar(Upper[b - 0x80] ? Upper[b - 0x80] : char16_t(0xFFFD)));
    }
    return text;
}

}  // namespace vl48
