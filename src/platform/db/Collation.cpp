#include "platform/db/Collation.h"

#include <cmath>
#include <cstring>
#include <sqlite3.h>
#include <vector>

#include "platform/db/JetSql.h"
#include "platform/db/ValueText.h"

namespace platform {

namespace {

// Next code point of a UTF-8 text; a stray byte stands for itself.
char32_t Decode(const unsigned char *s, int n, int &i)
{
    const unsigned char c = s[i++];
    if (c < 0x80)
        return c;
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0xDC00 + c;
    }
    if (i + extra > n)
        return 0xDC00 + c;
    for (int k = 0; k < extra; ++k) {
        const unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80)
            return 0xDC00 + c;
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += extra;
    return cp;
}

// The character in upper case; the Cyrillic and Latin letters the program
// meets are folded directly, anything else through Qt.
char32_t Fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c >= 0x400 && c <= 0x42F)
        return c == 0x40D ? 0x418 : c;  // Ѝ is an И with a grave accent
    return QChar::toUpper(c);
}

// Sort key: character class first, then the folded code point (below
// 2^21, so a key fits in three bytes). Cyrillic capitals U+0410..U+042F
// stand in the order of the Bulgarian alphabet.
quint32 Key(char32_t c)
{
    const char32_t f = Fold(c);
    quint32 cls;
    if (f >= '0' && f <= '9')
        cls = 1;
    else if (f < 0x80)
        cls = (f >= 'A' && f <= 'Z') ? 2 : 0;
    else if (!QChar::isLetter(f))
        cls = 0;
    else if (f < 0x250)
        cls = 2;
    else if (f >= 0x400 && f <= 0x4FF)
        cls = 3;
    else
        cls = 4;
    return (cls << 21) | static_cast<quint32>(f);
}

// Next code point of a UTF-16 text; a lone surrogate stands for itself.
char32_t Decode(const QChar *s, qsizetype n, qsizetype &i)
{
    const char16_t c = s[i++].unicode();
    if (QChar::isHighSurrogate(c) && i < n && QChar::isLowSurrogate(s[i].unicode()))
        return QChar::surrogateToUcs4(c, s[i++].unicode());
    return c;
}

// The keys of the characters below U+0500 (ASCII, Latin-1, the Latin
// extensions and Cyrillic: nearly every character of the program's texts),
// computed once by Key itself.
constexpr char32_t kTabled = 0x500;

const quint32 *KeyTable()
{
    static const std::vector<quint32> table = [] {
        std::vector<quint32> t(kTabled);
        for (char32_t c = 0; c < kTabled; ++c)
            t[c] = Key(c);
        return t;
    }();
    return table.data();
}

// The next character's key, the tabled characters without decoding them
// in full.
inline quint32 NextKey(const quint32 *keys, const unsigned char *s, int n, int &i)
{
    const unsigned char c = s[i];
    if (c < 0x80) {
        ++i;
        return keys[c];
    }
    if (c >= 0xC2 && c <= 0xD3 && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
        const char32_t cp = (char32_t(c & 0x1F) << 6) | (s[i + 1] & 0x3F);
        i += 2;
        return keys[cp];
    }
    return Key(Decode(s, n, i));
}

inline quint32 NextKey(const quint32 *keys, const QChar *s, qsizetype n, qsizetype &i)
{
    const char16_t c = s[i].unicode();
    if (c < kTabled) {
        ++i;
        return keys[c];
    }
    return Key(Decode(s, n, i));
}

// Whether unit u continues a character begun before it.
inline bool Continues(unsigned char u) { return (u & 0xC0) == 0x80; }
inline bool Continues(QChar u) { return u.isLowSurrogate(); }

// Whether s[from, n) holds blanks only (trailing blanks do not count).
template <typename Unit, typename Size>
bool BlanksOnly(const Unit *s, Size from, Size n)
{
    for (; from < n; ++from)
        if (s[from] != Unit(' '))
            return false;
    return true;
}

// The comparison over two texts of one encoding (UTF-8 bytes or UTF-16).
// Equal leading units are equal characters and are passed over without
// looking at them; trailing blanks are looked at only where the texts part.
template <typename Unit, typename Size>
int CompareTexts(const Unit *a, Size na, const Unit *b, Size nb)
{
    const Size common = na < nb ? na : nb;
    Size i = 0;
    // Eight bytes at a time, then unit by unit.
    constexpr Size kStep = static_cast<Size>(8 / sizeof(Unit));
    while (i + kStep <= common) {
        quint64 x;
        quint64 y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            break;
        i += kStep;
    }
    while (i < common && a[i] == b[i])
        ++i;
    if (i == na && i == nb)
        return 0;
    // Back to the start of the character in which the texts part.
    while (i > 0 && ((i < na && Continues(a[i])) || (i < nb && Continues(b[i]))))
        --i;
    const quint32 *keys = KeyTable();
    Size j = i;
    while (i < na && j < nb) {
        const Size ai = i;
        const Size bj = j;
        const quint32 ka = NextKey(keys, a, na, i);
        const quint32 kb = NextKey(keys, b, nb, j);
        if (ka != kb) {
            const bool restA = BlanksOnly(a, ai, na);
            const bool restB = BlanksOnly(b, bj, nb);
            if (restA || restB)
                return restA == restB ? 0 : (restA ? -1 : 1);
            return ka < kb ? -1 : 1;
        }
    }
    if (i < na)
        return BlanksOnly(a, i, na) ? 0 : 1;
    if (j < nb)
        return BlanksOnly(b, j, nb) ? 0 : -1;
    return 0;
}

int CollationCallback(void *, int aBytes, const void *a, int bBytes, const void *b)
{
    return JetCompare(static_cast<const char *>(a), aBytes, static_cast<const char *>(b), bBytes);
}

std::vector<char32_t> CodePoints(const QString &s)
{
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (char32_t c : s.toUcs4())
        out.push_back(c);
    return out;
}

QString ValueText(sqlite3_value *v)
{
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return QString::fromUtf8(text, sqlite3_value_bytes(v));
}

void LikeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    char32_t escape = 0;
    if (argc == 3) {
        const QString e = ValueText(argv[2]);
        if (e.toUcs4().size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.toUcs4().at(0);
    }
    sqlite3_result_int(ctx, JetLike(ValueText(argv[0]), ValueText(argv[1]), escape) ? 1 : 0);
}

struct PickState
{
    sqlite3_value *value;
    bool seen;
};

void FirstStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *s = static_cast<PickState *>(sqlite3_aggregate_context(ctx, sizeof(PickState)));
    if (s && !s->seen) {
        s->value = sqlite3_value_dup(argv[0]);
        s->seen = true;
    }
}

void LastStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *s = static_cast<PickState *>(sqlite3_aggregate_context(ctx, sizeof(PickState)));
    if (s) {
        sqlite3_value_free(s->value);
        s->value = sqlite3_value_dup(argv[0]);
        s->seen = true;
    }
}

void PickFinal(sqlite3_context *ctx)
{
    auto *s = static_cast<PickState *>(sqlite3_aggregate_context(ctx, 0));
    if (s && s->value) {
        sqlite3_result_value(ctx, s->value);
        sqlite3_value_free(s->value);
        s->value = nullptr;
    } else {
        sqlite3_result_null(ctx);
    }
}

void ResultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

// Format(value, format): the named date formats of the dialect; any other format
// gives the value's general text.
void FormatFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_value *v = argv[0];
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString format = ValueText(argv[1]).trimmed();
    const bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    if (numeric && format.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0) {
        ResultText(ctx, DayNumberText(std::floor(sqlite3_value_double(v))));
        return;
    }
    if (numeric && format.compare(QLatin1String("General Date"), Qt::CaseInsensitive) == 0) {
        ResultText(ctx, DayNumberText(sqlite3_value_double(v)));
        return;
    }
    if (type == SQLITE_INTEGER)
        ResultText(ctx, QString::number(sqlite3_value_int64(v)));
    else if (type == SQLITE_FLOAT)
        ResultText(ctx, FormatGeneral(sqlite3_value_double(v)));
    else
        ResultText(ctx, ValueText(v));
}

} // namespace

int JetCompare(const char *a, int aBytes, const char *b, int bBytes)
{
    return CompareTexts(reinterpret_cast<const unsigned char *>(a), aBytes, reinterpret_cast<const unsigned char *>(b),
                        bBytes);
}

int JetCompare(const QString &a, const QString &b)
{
    return CompareTexts(a.constData(), a.size(), b.constData(), b.size());
}

void AppendJetSortKey(QStringView s, std::string &out)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    const quint32 *keys = KeyTable();
    for (qsizetype i = 0; i < n;) {
        const quint32 k = NextKey(keys, s.data(), n, i);
        out.push_back(char(k >> 16));
        out.push_back(char(k >> 8));
        out.push_back(char(k));
    }
}

QByteArray JetSortKey(const QString &s)
{
    std::string key;
    key.reserve(3 * s.size());
    AppendJetSortKey(s, key);
    return QByteArray(key.data(), static_cast<qsizetype>(key.size()));
}

bool JetLike(const QString &pattern, const QString &value, char32_t escape)
{
    const std::vector<char32_t> p = CodePoints(pattern);
    const std::vector<char32_t> v = CodePoints(value);
    const size_t pn = p.size();
    const size_t vn = v.size();
    size_t pi = 0;
    size_t vi = 0;
    size_t starP = SIZE_MAX;
    size_t starV = 0;
    while (vi < vn) {
        if (pi < pn) {
            const char32_t pc = p[pi];
            if (escape && pc == escape && pi + 1 < pn) {
                if (Fold(p[pi + 1]) == Fold(v[vi])) {
                    pi += 2;
                    ++vi;
                    continue;
                }
            } else if (pc == '%') {
                starP = pi++;
                starV = vi;
                continue;
            } else if (pc == '_' || Fold(pc) == Fold(v[vi])) {
                ++pi;
                ++vi;
                continue;
            }
        }
        if (starP == SIZE_MAX)
            return false;
        pi = starP + 1;
        vi = ++starV;
    }
    while (pi < pn && p[pi] == '%')
        ++pi;
    return pi == pn;
}

void RegisterJetFunctions(sqlite3 *db)
{
    sqlite3_create_collation_v2(db, kJetCollation, SQLITE_UTF8, nullptr, CollationCallback, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr, FirstStep, PickFinal, nullptr);
    sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, LastStep, PickFinal, nullptr);
    sqlite3_create_function_v2(db, "jet_format", 2, flags, nullptr, FormatFunction, nullptr, nullptr, nullptr);
}

} // namespace platform
