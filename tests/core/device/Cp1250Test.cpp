// The Windows-1250 table against the platform's own codec, and the refusal of characters the
// transmitter's note cannot hold.
#include <gtest/gtest.h>

#include <QStringDecoder>
#include <set>

#include "core/device/Cp1250.h"

using namespace vl48;

TEST(Cp1250, TableAgreesWithThePlatformCodec) {
    QStringDecoder platform("windows-1250");
    if (!platform.isValid()) GTEST_SKIP() << "this Qt has no windows-1250 codec to compare with";
    const std::set<int> undefined = {0x81, 0x83, 0x88, 0x90, 0x98};
    for (int b = 0; b < 256; ++b) {
        if (undefined.count(b)) continue;
        const QByteArray byte(1, char(b));
        const QString expected = platform.decode(byte);
        EXPECT_EQ(fromCp1250(byte), expected) << "byte " << b;
        bool ok = false;
        EXPECT_EQ(toCp1250(expected, &ok), byte) << "byte " << b;
        EXPECT_TRUE(ok);
    }
}

TEST(Cp1250, CzechRoundTripAndRefusals) {
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
    bool ok = false;
    const QByteArray bytes = toCp1250(czech, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes.size(), czech.size());
    EXPECT_EQ(fromCp1250(bytes), czech);
    EXPECT_TRUE(cp1250CanEncode(QChar(0x010D)));   // č
    EXPECT_FALSE(cp1250CanEncode(QChar(0x0436)));  // Cyrillic zhe
    EXPECT_FALSE(cp1250CanEncode(QChar(0xFFFD)));
    toCp1250(QStringLiteral("a\u20ACb\u4E2D"), &ok);  // euro is in the page, CJK is not
    EXPECT_FALSE(ok);
    EXPECT_EQ(toCp1250(QStringLiteral("\u20AC")), QByteArray("\x80"));
    EXPECT_EQ(fromCp1250(QByteArray("\x81")), QString(QChar(0xFFFD)));
}
