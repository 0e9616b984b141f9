// Every text the program can show in a message box is Bulgarian: the
// program's sources are read as text, and every literal passed to a dialog
// routine or to an exception that is thrown (exceptions reach the clerk at
// the action's boundary) must hold Cyrillic, unless it has no words at all
// (a number, a format of arguments only) or is listed below with the reason
// why no clerk meets it.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Texts of the program's own components that report a fault of the program
// itself (a wrong index, a call in the wrong state, a statement the program
// built wrong): a working program never shows them.
const QMap<QString, QString> &AllowedTexts()
{
    static const QMap<QString, QString> allowed = {
        {"List index out of bounds (%1)", "an index outside a list: a fault of the program"},
        {"List capacity out of bounds (%1)", "a capacity below the count: a fault of the program"},
        {"Operation not allowed on sorted string list", "an insert at a place in a sorted list"},
        {"String list does not allow duplicates", "a duplicate in a list that refuses them, only by code"},
        {"Cannot assign to a record list", "an assignment between list kinds that the program never makes"},
        {"Bits index out of range", "an index outside a bit list: a fault of the program"},
        {"Invalid class typecast", "a control of the wrong class handed over by the program"},
        {"TExtStatusPanel owner must be TExtStatusPanesls", "a status panel created outside its bar"},
        {"Format '%1' invalid or incompatible with argument", "a message text and its arguments that do not fit"},
        {"Can't change FileName while printing", "a printer setting changed by the program while it prints"},
        {"Can't change PrintToFile while printing", "a printer setting changed by the program while it prints"},
        {"Unable to change orientation while printing", "a printer setting changed by the program while it prints"},
        {"Unable to change %1 margin while printing", "a printer setting changed by the program while it prints"},
        {"PageNumber must be between 1 and ", "a page outside the document asked for by the program"},
        {"Characters found after end of SQL statement.", "two statements in one text: the program builds each alone"},
        {"SELECT ... INTO without a query", "a work-table statement the program built without its query"},
        {"The transaction has already ended.", "a transaction ended twice by the program"},
        {"The connection was closed inside a transaction.", "a connection closed by the program inside its own save"},
        // Being replaced together with the shared save's queue; listed only
        // while they are still there.
    };
    return allowed;
}

// Where the program shows a text: the dialog routines (their first
// argument; both texts of the input box) and every exception thrown.
const QRegularExpression &Calls()
{
    static const QRegularExpression calls(
        QStringLiteral("\\b(ShowError|ShowWarning|AskYesNoCancel|AskOkCancel|MessageDlg|ShowMessage|ShowErrorBox|"
                       "InputQuery)\\s*\\(|\\bthrow\\s+([A-Za-z_][A-Za-z_0-9:]*)\\s*(?:::Create\\s*)?\\("));
    return calls;
}

// The top-level arguments of the call whose '(' ends just before From.
QStringList Arguments(const QString &Text, qsizetype From)
{
    QStringList out;
    QString current;
    int depth = 0;
    for (qsizetype i = From; i < Text.size(); ++i) {
        const QChar c = Text[i];
        if (c == QChar('"') || c == QChar('\'')) {
            qsizetype k = i + 1;
            while (k < Text.size() && Text[k] != c)
                k += Text[k] == QChar('\\') ? 2 : 1;
            current += Text.mid(i, k - i + 1);
            i = k;
            continue;
        }
        if (c == QChar('(') || c == QChar('[') || c == QChar('{')) {
            ++depth;
        } else if (c == QChar(')') || c == QChar(']') || c == QChar('}')) {
            if (depth == 0) {
                out << current;
                return out;
            }
            --depth;
        } else if (c == QChar(',') && depth == 0) {
            out << current;
            current.clear();
            continue;
        }
        current += c;
    }
    return out;
}

// The string literals of an argument, joined; empty when it has none.
QString LiteralText(const QString &Argument)
{
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QString text;
    for (auto it = literal.globalMatch(Argument); it.hasNext();)
        text += it.next().captured(1);
    return text;
}

// A text a clerk would read as words that are not Bulgarian.
bool IsForeignText(const QString &Text)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    static const QRegularExpression format(QStringLiteral("%[-+ 0#]*(\\*|\\d+)?(\\.(\\*|\\d+))?[sdfgxuecn%]|%\\d+"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    if (cyrillic.match(Text).hasMatch())
        return false;
    QString bare = Text;
    bare.remove(format);
    bare.remove(QStringLiteral("\\r"));
    bare.remove(QStringLiteral("\\n"));
    return word.match(bare).hasMatch();
}

struct Finding
{
    QString Place;
    QString Text;
};

std::vector<Finding> ShownTexts(const QString &Root)
{
    std::vector<Finding> found;
    QDirIterator files(Root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto it = Calls().globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            // A call in a comment line is no call.
            const qsizetype lineStart = text.lastIndexOf(QChar('\n'), m.capturedStart()) + 1;
            if (text.mid(lineStart, m.capturedStart() - lineStart).contains(QStringLiteral("//")))
                continue;
            const QStringList arguments = Arguments(text, m.capturedEnd());
            const int texts = m.captured(1) == QStringLiteral("InputQuery") ? 2 : 1;
            for (int i = 0; i < texts && i < arguments.size(); ++i) {
                const QString literal = LiteralText(arguments[i]);
                if (literal.isEmpty())
                    continue;
                const int line = static_cast<int>(text.left(m.capturedStart()).count(QChar('\n'))) + 1;
                found.push_back({QDir(Root).relativeFilePath(path) + ':' + QString::number(line), literal});
            }
        }
    }
    return found;
}

QString SourceRoot()
{
    return QDir(QStringLiteral(TOLVEX_TEST_DATA)).absoluteFilePath(QStringLiteral("../../src"));
}

} // namespace

TEST(MessageTextsScan, EveryTextShownInAMessageBoxIsBulgarian)
{
    const std::vector<Finding> found = ShownTexts(SourceRoot());
    // The scan sees the program's dialogs and exceptions at all.
    ASSERT_GT(found.size(), 100u);
    QStringList foreign;
    for (const Finding &f : found)
        if (IsForeignText(f.Text) && !AllowedTexts().contains(f.Text))
            foreign << f.Place + QStringLiteral(": ") + f.Text;
    EXPECT_TRUE(foreign.isEmpty()) << foreign.join('\n').toStdString();
}

TEST(MessageTextsScan, AllowedTextsAreStillThereAndForeign)
{
    // A listed text that left the sources, or was made Bulgarian, leaves
    // the list too.
    QSet<QString> present;
    for (const Finding &f : ShownTexts(SourceRoot()))
        present.insert(f.Text);
    for (auto it = AllowedTexts().cbegin(); it != AllowedTexts().cend(); ++it) {
        EXPECT_TRUE(IsForeignText(it.key())) << it.key().toStdString();
        EXPECT_TRUE(present.contains(it.key())) << it.key().toStdString();
    }
}

TEST(MessageTextsScan, ReadsWordsNotFormats)
{
    EXPECT_TRUE(IsForeignText(QStringLiteral("File %s does not exist.")));
    EXPECT_TRUE(IsForeignText(QStringLiteral("I can't copy\\rTarget File name missing")));
    EXPECT_FALSE(IsForeignText(QStringLiteral("Файлът %s липсва.")));
    EXPECT_FALSE(IsForeignText(QStringLiteral("%s\\r\\n%d")));
    EXPECT_FALSE(IsForeignText(QStringLiteral("%1: %2")));
    EXPECT_EQ(LiteralText(QStringLiteral("QStringLiteral(\"a\\\"b\") + x + \"c\"")), QStringLiteral("a\\\"bc"));
    EXPECT_EQ(Arguments(QStringLiteral("f(a, \"x,y\"), {1, 2})"), 2).size(), 2);
}
