// The text order's shortcuts (equal leading units passed over, trailing
// blanks looked at only where two texts part) give the order of the
// character-by-character sort keys.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "platform/db/Collation.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

} // namespace

TEST(JetCollation, ShortcutsKeepTheOrderOfTheSortKeys)
{
    const QString surrogatePair = QString::fromUcs4(U"\U0001D400");
    const QStringList texts = {
        "", " ", "  ", "ab", "ab ", "ab  ", "ab!", "ab x", "aB", "Ва", "Вб", "ВА ", "Вя", "Хляб бял 500 г 1",
        "Хляб бял 500 г 1  ", "Хляб бял 500 г 2", "хляб бял 500 Г 10", "Хляб бял 500 гр", "Магазин 12@1.50",
        "Магазин 12@1.5", "12345678", "1234567 ", "123456789", "Ѝва", "Ива", "€ 5", "ա", "ab" + surrogatePair,
        "ab" + surrogatePair + " ", "ab" + QString(QChar(0xDC00)), "aé", "aÉ", "ae"};
    for (const QString &a : texts)
        for (const QString &b : texts) {
            const int byKey = Sign(platform::JetSortKey(a).compare(platform::JetSortKey(b)));
            EXPECT_EQ(byKey, Sign(platform::JetCompare(a, b))) << qPrintable(a) << " / " << qPrintable(b);
            const QByteArray ua = a.toUtf8();
            const QByteArray ub = b.toUtf8();
            EXPECT_EQ(byKey, Sign(platform::JetCompare(ua.constData(), ua.size(), ub.constData(), ub.size())))
                << qPrintable(a) << " / " << qPrintable(b);
        }
    // Bytes that are no UTF-8 stand for themselves; a text parting in the
    // middle of a two-byte letter (а U+0430 and б U+0431 share their first byte).
    const char broken[] = {'x', char(0xE0), char(0x80), 'y'};
    const char whole[] = {'x', char(0xE0), char(0x80), char(0x80)};
    EXPECT_NE(0, platform::JetCompare(broken, 4, whole, 4));
    EXPECT_EQ(-platform::JetCompare(broken, 4, whole, 4), platform::JetCompare(whole, 4, broken, 4));
    EXPECT_LT(platform::JetCompare("бабаа", 10, "бабаб", 10), 0);
}
