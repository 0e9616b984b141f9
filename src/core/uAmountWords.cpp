#include "core/uAmountWords.h"

#include "core/uHelpers.h"

#include <QStringList>
#include <cmath>
#include <cstdint>

namespace {

enum class Gender { Masculine, Feminine };

const char *const MasculineUnits[] = {"нула", "един", "два", "три", "четири",
                                      "пет", "шест", "седем", "осем", "девет"};
const char *const FeminineUnits[] = {"нула", "една", "две", "три", "четири",
                                     "пет", "шест", "седем", "осем", "девет"};
const char *const Hundreds[] = {"", "сто", "двеста", "триста", "четиристотин", "петстотин",
                                "шестстотин", "седемстотин", "осемстотин", "деветстотин"};

// Scale words of the groups of three digits, from the thousands up:
// singular, plural.
const char *const Scales[][2] = {{"хиляда", "хиляди"},   {"милион", "милиона"},
                                 {"милиард", "милиарда"}, {"билион", "билиона"},
                                 {"билиард", "билиарда"}};
constexpr int ScaleCount = sizeof Scales / sizeof Scales[0];

QString U(const char *s)
{
    return QString::fromUtf8(s);
}

QString Unit(int Digit, Gender G)
{
    return U(G == Gender::Feminine ? FeminineUnits[Digit] : MasculineUnits[Digit]);
}

// 0..99.
QString TensAndUnits(int T, Gender G)
{
    if (T < 10)
        return Unit(T, G);
    if (T == 10)
        return U("десет");
    if (T < 20)
        return (T == 11 ? U("еди") : Unit(T - 10, Gender::Masculine)) + U("надесет");
    const QString tens = Unit(T / 10, Gender::Masculine) + U("десет");
    return T % 10 == 0 ? tens : tens + U(" и ") + Unit(T % 10, G);
}

// 1..999.
QString GroupWords(int G3, Gender G)
{
    const QString h = U(Hundreds[G3 / 100]);
    const int t = G3 % 100;
    if (t == 0)
        return h;
    const QString rest = TensAndUnits(t, G);
    if (h.isEmpty())
        return rest;
    // "сто двадесет и пет", but "сто и пет", "сто и двадесет", "сто и единадесет".
    const bool compound = t > 20 && t % 10 != 0;
    return h + (compound ? U(" ") : U(" и ")) + rest;
}

QString LevaWords(std::uint64_t Leva)
{
    if (Leva == 0)
        return U("нула");
    QStringList groups; // spoken groups, highest first
    int group = 0;      // 0: units, 1: thousands, ...
    std::uint64_t rest = Leva;
    while (rest > 0) {
        const int g3 = static_cast<int>(rest % 1000);
        rest /= 1000;
        QString words;
        if (g3 != 0) {
            if (group == 0)
                words = GroupWords(g3, Gender::Masculine);
            else if (group == 1 && g3 == 1)
                words = U(Scales[0][0]);
            else
                words = GroupWords(g3, group == 1 ? Gender::Feminine : Gender::Masculine)
                        + QChar(' ') + U(Scales[group - 1][g3 == 1 ? 0 : 1]);
        }
        if (!words.isEmpty())
            groups.prepend(words);
        ++group;
    }
    if (groups.size() >= 2 && !groups.last().contains(U(" и ")))
        groups.last().prepend(U("и "));
    return groups.join(QChar(' '));
}

} // namespace

void AmountToWords(long double X, QString &Result)
{
    const long double rounded = RoundFloat(2, X);
    const long double a = std::fabs(rounded);
    if (!(a < 1e18L)) {
        FormatFloatRounded(2, Result, X);
        Result += U(" лева");
        return;
    }
    // Whole stotinki of the rounded sum; below 10^13 the rounding leaves
    // k / 100 exactly, above it the nearest stotinka is taken.
    const auto leva = static_cast<std::uint64_t>(std::floor(a));
    int stotinki = static_cast<int>(std::llround((a - static_cast<long double>(leva)) * 100));
    std::uint64_t levaCarried = leva;
    if (stotinki >= 100) {
        stotinki -= 100;
        ++levaCarried;
    }
    QString text = LevaWords(levaCarried) + QChar(' ') + (levaCarried == 1 ? U("лев") : U("лева"))
                   + U(" и ") + TensAndUnits(stotinki, Gender::Feminine)
                   + QChar(' ') + (stotinki == 1 ? U("стотинка") : U("стотинки"));
    if (rounded < 0)
        text.prepend(U("минус "));
    Result = text;
}
