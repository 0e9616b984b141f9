#pragma once
// Text comparison for the program's data: case-insensitive,
// Cyrillic included (SQLite's own case folding knows only ASCII), in
// Bulgarian alphabetical order; trailing blanks do not count.
//
// Order of characters: blanks, punctuation and other signs, then digits,
// then Latin letters, then Cyrillic letters in the order of the Bulgarian
// alphabet (а б в г д е ж з и й к л м н о п р с т у ф х ц ч ш щ ъ ь ю я),
// then everything else.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string>

struct sqlite3;

namespace platform {

// Compares two UTF-8 texts: < 0, 0 or > 0.
int JetCompare(const char *a, int aBytes, const char *b, int bBytes);
int JetCompare(const QString &a, const QString &b);
// A key of s whose byte order (QByteArray::compare) is the order above:
// keys compare as JetCompare compares their texts, equal texts give equal
// keys. For sorting many texts, each key made once.
QByteArray JetSortKey(const QString &s);
// The same key appended to out, for many keys in one buffer.
void AppendJetSortKey(QStringView s, std::string &out);

// SQL LIKE with '%' (any run) and '_' (one character), compared as above;
// escape (0 for none) makes the next pattern character literal.
bool JetLike(const QString &pattern, const QString &value, char32_t escape = 0);

// Registers the collation (kJetCollation), the LIKE of the connection and
// the dialect's First, Last and Format(x, "Short Date") on a connection.
void RegisterJetFunctions(sqlite3 *db);

} // namespace platform
