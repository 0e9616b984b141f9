#include "platform/db/JetSql.h"

#include <QHash>

#include "platform/db/ValueText.h"

namespace platform {

QString SqlEscape(const QString &value)
{
    QString inner = value;
    inner.remove(QChar(0));
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return inner;
}

QString SqlIdentifier(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool SqlToken::IsWord(const char *upper) const
{
    return kind == Word && text.compare(QLatin1String(upper), Qt::CaseInsensitive) == 0;
}

QString SqlToken::Name() const
{
    if (kind == Bracket)
        return text.mid(1, text.size() - 2);
    return text;
}

namespace {

bool IsWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

[[noreturn]] void Fail(const QString &message) { throw EDatabaseError(message); }

// A literal of SQLite for a text value.
QString SqliteLiteral(const QString &value)
{
    QString inner = value;
    inner.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// The value of a quoted literal token (its delimiters doubled inside).
QString LiteralValue(const SqlToken &t)
{
    const QChar q = t.text[0];
    QString inner = t.text.mid(1, t.text.size() - 2);
    inner.replace(QString(2, q), QString(q));
    return inner;
}

// Tokens with their nesting depth; ranges are [from, to).
class Tokens
{
public:
    explicit Tokens(std::vector<SqlToken> t) : t_(std::move(t)) { ComputeDepth(); }

    int Size() const { return static_cast<int>(t_.size()); }
    SqlToken &operator[](int i) { return t_[i]; }
    const SqlToken &operator[](int i) const { return t_[i]; }
    int Depth(int i) const { return depth_[i]; }

    int NextSig(int i) const
    {
        for (++i; i < Size(); ++i)
            if (t_[i].Significant())
                return i;
        return Size();
    }
    int PrevSig(int i) const
    {
        for (--i; i >= 0; --i)
            if (t_[i].Significant())
                return i;
        return -1;
    }
    int FirstSig() const { return NextSig(-1); }

    bool PrevIsDot(int i) const
    {
        const int p = PrevSig(i);
        return p >= 0 && t_[p].IsPunct('.');
    }
    bool NextIs(int i, char c) const
    {
        const int n = NextSig(i);
        return n < Size() && t_[n].IsPunct(c);
    }

    // The matching ')' of the '(' at i, or Size().
    int Closing(int i) const
    {
        for (int j = i + 1; j < Size(); ++j)
            if (t_[j].IsPunct(')') && depth_[j] == depth_[i])
                return j;
        return Size();
    }

    // Index of the next Word (one of the given, upper case) at depth d in
    // [from, to), or to.
    int FindWord(int from, int to, int d, std::initializer_list<const char *> words) const
    {
        for (int i = from; i < to; ++i) {
            if (depth_[i] < d)
                return to;
            if (depth_[i] != d || t_[i].kind != SqlToken::Word)
                continue;
            for (const char *w : words)
                if (t_[i].IsWord(w))
                    return i;
        }
        return to;
    }

    // "GROUP BY" / "ORDER BY" at depth d: index of the BY word, or to.
    int FindPair(int from, int to, int d, const char *first) const
    {
        for (int i = FindWord(from, to, d, {first}); i < to; i = FindWord(i + 1, to, d, {first})) {
            const int n = NextSig(i);
            if (n < to && t_[n].IsWord("BY"))
                return n;
        }
        return to;
    }

    QString Text(int from, int to) const
    {
        QString s;
        for (int i = from; i < to && i < Size(); ++i)
            s += t_[i].text;
        return s.trimmed();
    }

    QString Joined() const { return Text(0, Size()); }

    void Blank(int from, int to)
    {
        for (int i = from; i < to; ++i) {
            t_[i].text.clear();
            t_[i].kind = SqlToken::Space;
        }
    }

private:
    void ComputeDepth()
    {
        depth_.resize(t_.size());
        int d = 0;
        for (size_t i = 0; i < t_.size(); ++i) {
            if (t_[i].IsPunct(')') && d > 0)
                --d;
            depth_[i] = d;
            if (t_[i].IsPunct('('))
                ++d;
        }
    }

    std::vector<SqlToken> t_;
    std::vector<int> depth_;
};

const char *const kTextTypes[] = {"CHAR", "TEXT", "MEMO", "CLOB", "STRING", "LONGCHAR", "NOTE"};
const char *const kFlagTypes[] = {"BIT", "YESNO", "LOGICAL", "LOGICAL1", "BOOLEAN", "BOOL"};

QString BaseTypeWord(const QString &declType)
{
    QString t = declType.trimmed().toUpper();
    const int paren = t.indexOf(QLatin1Char('('));
    if (paren >= 0)
        t.truncate(paren);
    return t.trimmed();
}

// Triggers that keep a flag column to two values: any non-zero value is
// stored as True (-1), so that "= True" and "= -1" find it.
QStringList FlagTriggers(const QString &table, const QString &column)
{
    const QString t = SqlIdentifier(table);
    const QString c = SqlIdentifier(column);
    const QString cond = QStringLiteral("NEW.%1 IS NULL OR (NEW.%1 <> 0 AND NEW.%1 <> -1)").arg(c);
    const QString body =
        QStringLiteral("BEGIN UPDATE %1 SET %2 = CASE WHEN %2 IS NULL OR %2 = 0 THEN 0 ELSE -1 END "
                       "WHERE rowid = NEW.rowid; END")
            .arg(t, c);
    const QString base = QStringLiteral("jetflag_%1_%2").arg(table, column);
    return {QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW WHEN %3 %4")
                .arg(SqlIdentifier(base + QLatin1String("_ins")), t, cond, body),
            QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 FOR EACH ROW WHEN %4 %5")
                .arg(SqlIdentifier(base + QLatin1String("_upd")), c, t, cond, body)};
}

// Functions of the program's dialect that SQLite knows under another name (ours, registered by
// the connection).
const QHash<QString, QString> &RenamedFunctions()
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("first"), QStringLiteral("jet_first")},
        {QStringLiteral("last"), QStringLiteral("jet_last")},
        {QStringLiteral("format"), QStringLiteral("jet_format")},
    };
    return map;
}

// Rewrites that apply wherever they stand: literals, True/False, '/', the
// renamed functions.
void RewriteCommon(Tokens &t)
{
    for (int i = 0; i < t.Size(); ++i) {
        SqlToken &tok = t[i];
        switch (tok.kind) {
        case SqlToken::DString:
            tok.text = SqliteLiteral(LiteralValue(tok));
            tok.kind = SqlToken::SString;
            break;
        case SqlToken::Word: {
            if (t.PrevIsDot(i) || t.NextIs(i, '.'))
                break;
            const bool call = t.NextIs(i, '(');
            if (!call && tok.IsWord("TRUE")) {
                tok.text = QStringLiteral("-1");
                tok.kind = SqlToken::Number;
            } else if (!call && tok.IsWord("FALSE")) {
                tok.text = QStringLiteral("0");
                tok.kind = SqlToken::Number;
            } else if (call) {
                const auto it = RenamedFunctions().find(tok.text.toLower());
                if (it != RenamedFunctions().end())
                    tok.text = it.value();
            }
            break;
        }
        case SqlToken::Punct:
            // The program's statements divide as floating point: 5/2 is 2.5.
            if (tok.IsPunct('/'))
                tok.text = QStringLiteral("* 1.0 /");
            break;
        default:
            break;
        }
    }
}

// The program's statements let a select item use the alias of an earlier
// item of the same list;
// SQLite does not, so the earlier expression is put in its place.
void SubstituteAliases(Tokens &t)
{
    for (int s = 0; s < t.Size(); ++s) {
        if (!t[s].IsWord("SELECT"))
            continue;
        const int d = t.Depth(s);
        int from = t.NextSig(s);
        while (from < t.Size() && (t[from].IsWord("DISTINCT") || t[from].IsWord("ALL")))
            from = t.NextSig(from);
        int end = from;
        while (end < t.Size() && t.Depth(end) >= d &&
               !(t.Depth(end) == d && (t[end].IsWord("FROM") || t[end].IsWord("INTO"))))
            ++end;

        QHash<QString, QString> aliases;
        int a = from;
        while (a < end) {
            int b = a;
            while (b < end && !(t.Depth(b) == d && t[b].IsPunct(',')))
                ++b;
            // The item [a, b): find "AS name" at its end.
            int exprEnd = b;
            QString alias;
            const int last = t.PrevSig(b);
            if (last >= a && (t[last].kind == SqlToken::Word || t[last].kind == SqlToken::Bracket)) {
                const int as = t.PrevSig(last);
                if (as >= a && t[as].IsWord("AS")) {
                    alias = t[last].Name().toLower();
                    exprEnd = as;
                }
            }
            bool selfNamed = false;
            for (int i = a; i < exprEnd; ++i) {
                SqlToken &tok = t[i];
                if (tok.kind != SqlToken::Word && tok.kind != SqlToken::Bracket)
                    continue;
                if (t.PrevIsDot(i) || t.NextIs(i, '.') || t.NextIs(i, '('))
                    continue;
                const QString name = tok.Name().toLower();
                if (!alias.isEmpty() && name == alias)
                    selfNamed = true;
                const auto it = aliases.find(name);
                if (it != aliases.end()) {
                    tok.text = QLatin1Char('(') + it.value() + QLatin1Char(')');
                    tok.kind = SqlToken::Punct;
                }
            }
            if (!alias.isEmpty() && !selfNamed)
                aliases.insert(alias, t.Text(a, exprEnd));
            a = b + 1;
        }
    }
}

// The rows of a GROUP BY come in the grouped order; the program relies on
// it (number lists take the last row as the newest).
void OrderGroups(Tokens &t, int from, int to)
{
    if (t.FindWord(from, to, 0, {"UNION"}) < to)
        return;
    const int groupBy = t.FindPair(from, to, 0, "GROUP");
    if (groupBy >= to || t.FindPair(from, to, 0, "ORDER") < to)
        return;
    const int stop = t.FindWord(groupBy + 1, to, 0, {"HAVING", "ORDER", "LIMIT", "PIVOT"});
    const QString list = t.Text(groupBy + 1, stop);
    if (list.isEmpty())
        return;
    t[to - 1].text += QStringLiteral(" ORDER BY ") + list;
}

// The column definitions of CREATE TABLE / ALTER TABLE ADD: text columns get
// the collation, flag columns their triggers.
void DefineColumn(Tokens &t, int from, int to, const QString &table, QStringList &after)
{
    const int nameTok = from < to && t[from].Significant() ? from : t.NextSig(from);
    if (nameTok >= to)
        return;
    const SqlToken &first = t[nameTok];
    if (first.kind == SqlToken::Word &&
        (first.IsWord("PRIMARY") || first.IsWord("CONSTRAINT") || first.IsWord("UNIQUE") ||
         first.IsWord("FOREIGN") || first.IsWord("CHECK") || first.IsWord("KEY") || first.IsWord("INDEX")))
        return;
    const int typeTok = t.NextSig(nameTok);
    if (typeTok >= to || t[typeTok].kind != SqlToken::Word)
        return;
    int typeEnd = typeTok;
    if (t.NextIs(typeTok, '('))
        typeEnd = t.Closing(t.NextSig(typeTok));
    if (typeEnd >= to)
        return;
    const QString type = t[typeTok].text;
    if (JetSql::IsTextType(type))
        t[typeEnd].text += QStringLiteral(" COLLATE ") + QLatin1String(kJetCollation);
    else if (JetSql::IsFlagType(type))
        after += FlagTriggers(table, first.Name());
}

void TranslateCreateTable(Tokens &t, JetSql::Statement &st)
{
    int i = t.NextSig(t.NextSig(t.FirstSig()));  // after CREATE TABLE
    while (i < t.Size() && (t[i].IsWord("IF") || t[i].IsWord("NOT") || t[i].IsWord("EXISTS")))
        i = t.NextSig(i);
    if (i >= t.Size())
        return;
    const QString table = t[i].Name();
    const int open = t.NextSig(i);
    if (open >= t.Size() || !t[open].IsPunct('('))
        return;
    const int close = t.Closing(open);
    int a = open + 1;
    const int d = t.Depth(open) + 1;
    while (a < close) {
        int b = a;
        while (b < close && !(t.Depth(b) == d && t[b].IsPunct(',')))
            ++b;
        DefineColumn(t, a, b, table, st.after);
        a = b + 1;
    }
}

void TranslateAlterTable(Tokens &t, JetSql::Statement &st)
{
    const int tableTok = t.NextSig(t.NextSig(t.FirstSig()));  // after ALTER TABLE
    if (tableTok >= t.Size())
        return;
    int i = t.NextSig(tableTok);
    if (i >= t.Size() || !t[i].IsWord("ADD"))
        return;
    i = t.NextSig(i);
    if (i < t.Size() && t[i].IsWord("COLUMN"))
        i = t.NextSig(i);
    DefineColumn(t, i, t.Size(), t[tableTok].Name(), st.after);
}

void TranslateDelete(Tokens &t)
{
    const int del = t.FirstSig();
    const int n = t.NextSig(del);
    if (n >= t.Size())
        return;
    if (t[n].IsPunct('*')) {  // DELETE * FROM
        t.Blank(n, n + 1);
        return;
    }
    // DELETE table.* FROM
    const int dot = t.NextSig(n);
    const int star = t.NextSig(dot);
    if (star < t.Size() && t[dot].IsPunct('.') && t[star].IsPunct('*') &&
        t.NextSig(star) < t.Size() && t[t.NextSig(star)].IsWord("FROM"))
        t.Blank(n, star + 1);
}

void TranslateSelect(Tokens &t, JetSql::Statement &st)
{
    st.isQuery = true;
    const int select = t.FirstSig();
    const int from = t.FindWord(select + 1, t.Size(), 0, {"FROM"});
    const int into = t.FindWord(select + 1, from, 0, {"INTO"});
    OrderGroups(t, select, t.Size());
    if (into < from) {
        const int name = t.NextSig(into);
        if (name >= t.Size() || (t[name].kind != SqlToken::Word && t[name].kind != SqlToken::Bracket))
            Fail(QStringLiteral("SELECT ... INTO without a table name"));
        st.kind = JetSql::Statement::SelectInto;
        st.intoTable = t[name].Name();
        st.isQuery = false;
        t.Blank(into, name + 1);
    }
}

void TranslateCrosstab(Tokens &t, JetSql::Statement &st)
{
    st.kind = JetSql::Statement::Crosstab;
    st.isQuery = true;
    const int transform = t.FirstSig();
    const int select = t.FindWord(transform + 1, t.Size(), 0, {"SELECT"});
    if (select >= t.Size())
        Fail(QStringLiteral("TRANSFORM without SELECT"));

    // The aggregate: F ( argument ) [AS alias]
    int aggEnd = select;
    const int last = t.PrevSig(select);
    const int as = t.PrevSig(last);
    if (as > transform && t[as].IsWord("AS"))
        aggEnd = as;
    const int fn = t.NextSig(transform);
    const int open = t.NextSig(fn);
    if (fn >= aggEnd || t[fn].kind != SqlToken::Word || open >= aggEnd || !t[open].IsPunct('(') ||
        t.NextSig(t.Closing(open)) != aggEnd)
        Fail(QStringLiteral("TRANSFORM needs an aggregate function of one argument"));
    st.aggFunction = t[fn].text;
    st.aggArgument = t.Text(open + 1, t.Closing(open));

    const int end = t.Size();
    const int from = t.FindWord(select + 1, end, 0, {"FROM"});
    const int pivot = t.FindWord(select + 1, end, 0, {"PIVOT"});
    const int groupBy = t.FindPair(select + 1, pivot, 0, "GROUP");
    if (from >= pivot || groupBy >= pivot || pivot >= end)
        Fail(QStringLiteral("TRANSFORM needs SELECT ... FROM ... GROUP BY ... PIVOT"));
    const int group = t.PrevSig(groupBy);
    const int having = t.FindWord(groupBy + 1, pivot, 0, {"HAVING"});
    const int orderBy = t.FindPair(groupBy + 1, pivot, 0, "ORDER");
    const int order = orderBy < pivot ? t.PrevSig(orderBy) : pivot;
    st.selectList = t.Text(select + 1, from);
    st.fromWhere = t.Text(from, group);
    st.groupBy = t.Text(groupBy + 1, std::min(having, order));
    if (having < pivot)
        st.having = t.Text(having + 1, order);
    if (orderBy < pivot)
        st.orderBy = t.Text(orderBy + 1, pivot);
    if (t.FindWord(pivot + 1, end, 0, {"IN"}) < end)
        Fail(QStringLiteral("PIVOT ... IN ( ... ) is not supported"));

    // PIVOT Format(x, "Short Date"): the columns are dates, in date order.
    const int p = t.NextSig(pivot);
    if (p < end && t[p].text == QLatin1String("jet_format") && t.NextIs(p, '(')) {
        const int po = t.NextSig(p);
        const int pc = t.Closing(po);
        const int comma = [&] {
            for (int i = po + 1; i < pc; ++i)
                if (t.Depth(i) == t.Depth(po) + 1 && t[i].IsPunct(','))
                    return i;
            return pc;
        }();
        const int fmt = t.NextSig(comma);
        if (comma < pc && fmt < pc && t[fmt].kind == SqlToken::SString && t.NextSig(fmt) == pc &&
            LiteralValue(t[fmt]).compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0 &&
            t.NextSig(pc) == end) {
            st.pivotKey = t.Text(po + 1, comma);
            st.pivotShortDate = true;
            return;
        }
    }
    st.pivotKey = t.Text(pivot + 1, end);
}

QString PivotLiteral(const JetSql::PivotValue &v)
{
    switch (v.type) {
    case JetSql::PivotValue::Integer:
        return QString::number(v.i);
    case JetSql::PivotValue::Real:
        return QString::number(v.r, 'g', 17);
    case JetSql::PivotValue::Text:
        return SqliteLiteral(v.text);
    default:
        return QStringLiteral("NULL");
    }
}

} // namespace

std::vector<SqlToken> JetSql::Tokenize(const QString &sql)
{
    std::vector<SqlToken> out;
    const int n = sql.size();
    int i = 0;
    auto push = [&](SqlToken::Kind k, int from, int to) { out.push_back({k, sql.mid(from, to - from)}); };
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        int j = i + 1;
        if (c.isSpace()) {
            while (j < n && sql[j].isSpace())
                ++j;
            push(SqlToken::Space, i, j);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (j < n && sql[j] != QLatin1Char('\n'))
                ++j;
            push(SqlToken::Comment, i, j);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int e = sql.indexOf(QLatin1String("*/"), i + 2);
            if (e < 0)
                Fail(QStringLiteral("Unterminated comment in the statement"));
            j = e + 2;
            push(SqlToken::Comment, i, j);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            for (;;) {
                if (j >= n)
                    Fail(QStringLiteral("Unterminated string in the statement"));
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            push(c == QLatin1Char('"') ? SqlToken::DString : SqlToken::SString, i, j);
        } else if (c == QLatin1Char('[') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('`');
            const int e = sql.indexOf(close, i + 1);
            if (e < 0)
                Fail(QStringLiteral("Unterminated name in the statement"));
            j = e + 1;
            push(SqlToken::Bracket, i, j);
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            while (j < n && (sql[j].isDigit() || sql[j] == QLatin1Char('.')))
                ++j;
            if (j < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && sql[k].isDigit()) {
                    j = k;
                    while (j < n && sql[j].isDigit())
                        ++j;
                }
            }
            push(SqlToken::Number, i, j);
        } else if (IsWordStart(c)) {
            while (j < n && IsWordChar(sql[j]))
                ++j;
            push(SqlToken::Word, i, j);
        } else {
            static const char *const pairs[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>"};
            for (const char *p : pairs)
                if (c == QLatin1Char(p[0]) && next == QLatin1Char(p[1]))
                    j = i + 2;
            push(SqlToken::Punct, i, j);
        }
        i = j;
    }
    return out;
}

JetSql::Statement JetSql::Translate(const QString &jet)
{
    std::vector<SqlToken> raw = Tokenize(jet);
    // One statement per call: a ';' may end it, but nothing may follow.
    for (size_t i = 0; i < raw.size(); ++i) {
        if (!raw[i].IsPunct(';'))
            continue;
        for (size_t j = i + 1; j < raw.size(); ++j)
            if (raw[j].Significant())
                Fail(QStringLiteral("Characters found after end of SQL statement."));
        raw.resize(i);
        break;
    }
    // Comments mean nothing to the database; as blanks they cannot swallow
    // text that the translation adds after them.
    for (SqlToken &tok : raw)
        if (tok.kind == SqlToken::Comment) {
            tok.kind = SqlToken::Space;
            tok.text = QStringLiteral(" ");
        }
    Tokens t(std::move(raw));
    Statement st;
    const int first = t.FirstSig();
    if (first >= t.Size())
        return st;
    st.kind = Statement::Plain;
    RewriteCommon(t);
    SubstituteAliases(t);

    const SqlToken &head = t[first];
    const int second = t.NextSig(first);
    const bool table = second < t.Size() && t[second].IsWord("TABLE");
    if (head.IsWord("TRANSFORM")) {
        TranslateCrosstab(t, st);
        return st;
    }
    if (head.IsWord("SELECT"))
        TranslateSelect(t, st);
    else if (head.IsWord("DELETE"))
        TranslateDelete(t);
    else if (head.IsWord("CREATE") && table)
        TranslateCreateTable(t, st);
    else if (head.IsWord("ALTER") && table)
        TranslateAlterTable(t, st);
    else if (head.IsWord("PRAGMA") || head.IsWord("WITH") || head.IsWord("VALUES"))
        st.isQuery = true;
    st.sql = t.Joined();
    return st;
}

QString JetSql::CrosstabValuesQuery(const Statement &st)
{
    return QStringLiteral("SELECT DISTINCT %1 %2 ORDER BY 1").arg(st.pivotKey, st.fromWhere);
}

QString JetSql::PivotCaption(const Statement &st, const PivotValue &v)
{
    switch (v.type) {
    case PivotValue::Null:
        return QStringLiteral("<>");
    case PivotValue::Integer:
        return st.pivotShortDate ? DayNumberText(static_cast<double>(v.i)) : QString::number(v.i);
    case PivotValue::Real:
        return st.pivotShortDate ? DayNumberText(v.r) : FormatGeneral(v.r);
    case PivotValue::Text:
        return v.text;
    }
    return QString();
}

QString JetSql::CrosstabQuery(const Statement &st, const std::vector<PivotValue> &values)
{
    const bool count = st.aggFunction.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0;
    const QString argument = st.aggArgument == QLatin1String("*") ? QStringLiteral("1") : st.aggArgument;
    QString sql = QStringLiteral("SELECT ") + st.selectList;
    for (const PivotValue &v : values) {
        const QString cond = v.type == PivotValue::Null
                                 ? QStringLiteral("(%1) IS NULL").arg(st.pivotKey)
                                 : QStringLiteral("(%1) = %2").arg(st.pivotKey, PivotLiteral(v));
        QString cell = QStringLiteral("%1(CASE WHEN %2 THEN %3 END)").arg(st.aggFunction, cond, argument);
        if (count)  // an empty cell stays empty
            cell = QStringLiteral("NULLIF(%1, 0)").arg(cell);
        sql += QStringLiteral(", ") + cell + QStringLiteral(" AS ") + SqlIdentifier(PivotCaption(st, v));
    }
    sql += QLatin1Char(' ') + st.fromWhere + QStringLiteral(" GROUP BY ") + st.groupBy;
    if (!st.having.isEmpty())
        sql += QStringLiteral(" HAVING ") + st.having;
    sql += QStringLiteral(" ORDER BY ") + (st.orderBy.isEmpty() ? st.groupBy : st.orderBy);
    return sql;
}

namespace {

// The items of the comma-separated list [from, to) of depth d.
std::vector<std::pair<int, int>> ListItems(const Tokens &t, int from, int to, int d)
{
    std::vector<std::pair<int, int>> items;
    int a = from;
    while (a < to) {
        int b = a;
        while (b < to && !(t.Depth(b) == d && t[b].IsPunct(',')))
            ++b;
        items.emplace_back(a, b);
        a = b + 1;
    }
    return items;
}

// Whether the call opened at open has more than one argument.
bool SeveralArguments(const Tokens &t, int open, int close)
{
    for (int i = open + 1; i < close; ++i)
        if (t.Depth(i) == t.Depth(open) + 1 && t[i].IsPunct(','))
            return true;
    return false;
}

// Whether [from, to) holds an aggregate call or a subquery.
bool HoldsAggregate(const Tokens &t, int from, int to)
{
    static const char *const kAggregates[] = {"sum",        "count",      "total",    "avg",
                                              "group_concat", "string_agg", "jet_first", "jet_last"};
    for (int i = from; i < to; ++i) {
        if (t[i].IsWord("SELECT"))
            return true;
        if (t[i].kind != SqlToken::Word || !t.NextIs(i, '(') || t.PrevIsDot(i))
            continue;
        const QString name = t[i].text.toLower();
        const int open = t.NextSig(i);
        // Min and Max of one argument are aggregates; of several, plain functions.
        if ((name == QLatin1String("min") || name == QLatin1String("max")) &&
            !SeveralArguments(t, open, t.Closing(open)))
            return true;
        for (const char *a : kAggregates)
            if (name == QLatin1String(a))
                return true;
    }
    return false;
}

} // namespace

JetSql::GroupedCrosstab JetSql::CrosstabGroupedQuery(const Statement &st)
{
    GroupedCrosstab g;
    const QString fn = st.aggFunction.toLower();
    if (!st.having.isEmpty() || st.pivotKey.isEmpty() ||
        !(fn == QLatin1String("sum") || fn == QLatin1String("count") || fn == QLatin1String("avg") ||
          fn == QLatin1String("total")))
        return g;
    const Tokens order(Tokenize(st.orderBy));
    if (HoldsAggregate(order, 0, order.Size()))
        return g;

    std::vector<GroupedCrosstab::Combine> combine;
    QStringList aggregateNames;
    const Tokens select(Tokenize(st.selectList));
    for (const auto &[a, b] : ListItems(select, 0, select.Size(), 0)) {
        // A whole item Sum(x), Total(x) or Count(x) [AS name]: its shares add up.
        int end = b;
        const int last = select.PrevSig(b);
        const int as = select.PrevSig(last);
        if (as >= a && select[as].IsWord("AS"))
            end = as;
        const int fnTok = a < b && select[a].Significant() ? a : select.NextSig(a);
        GroupedCrosstab::Combine kind = GroupedCrosstab::Plain;
        if (fnTok < end && select.NextIs(fnTok, '(')) {
            const int open = select.NextSig(fnTok);
            const int close = select.Closing(open);
            const int first = select.NextSig(open);
            const bool whole = close < end && select.NextSig(close) >= end && !SeveralArguments(select, open, close) &&
                               !(first < close && select[first].IsWord("DISTINCT")) &&
                               !HoldsAggregate(select, open, close);
            if (whole && select[fnTok].IsWord("SUM"))
                kind = GroupedCrosstab::Sum;
            else if (whole && select[fnTok].IsWord("TOTAL"))
                kind = GroupedCrosstab::Total;
            else if (whole && select[fnTok].IsWord("COUNT"))
                kind = GroupedCrosstab::Count;
        }
        if (kind == GroupedCrosstab::Plain && HoldsAggregate(select, a, b))
            return g;
        if (kind != GroupedCrosstab::Plain && end != b)
            aggregateNames += select[last].Name().toLower();
        combine.push_back(kind);
    }
    // The rows are ordered by the whole row group's values: not by a share.
    for (int i = 0; i < order.Size(); ++i)
        if (order[i].kind == SqlToken::Number ||
            ((order[i].kind == SqlToken::Word || order[i].kind == SqlToken::Bracket) &&
             aggregateNames.contains(order[i].Name().toLower())))
            return g;

    const Tokens groupBy(Tokenize(st.groupBy));
    const auto keys = ListItems(groupBy, 0, groupBy.Size(), 0);
    QString cell = QStringLiteral("%1(%2)").arg(st.aggFunction, st.aggArgument);
    if (fn == QLatin1String("count"))  // an empty cell stays empty
        cell = QStringLiteral("NULLIF(%1, 0)").arg(cell);
    QString sql = QStringLiteral("SELECT ") + st.selectList;
    sql += QStringLiteral(", %1 AS jet_pivot, %2 AS jet_cell").arg(st.pivotKey, cell);
    for (size_t k = 0; k < keys.size(); ++k)
        sql += QStringLiteral(", %1 AS jet_key%2").arg(groupBy.Text(keys[k].first, keys[k].second)).arg(k);
    sql += QLatin1Char(' ') + st.fromWhere + QStringLiteral(" GROUP BY ") + st.groupBy + QStringLiteral(", ") +
           st.pivotKey + QStringLiteral(" ORDER BY ") +
           (st.orderBy.isEmpty() ? st.groupBy : st.orderBy + QStringLiteral(", ") + st.groupBy);
    g.sql = sql;
    g.combine = std::move(combine);
    g.keys = static_cast<int>(keys.size());
    return g;
}

QStringList JetSql::CreateTableStatements(const QString &table, const std::vector<ColumnDef> &columns,
                                          bool temporary)
{
    QStringList defs;
    QStringList after;
    for (const ColumnDef &c : columns) {
        QString def = SqlIdentifier(c.name);
        if (!c.declType.isEmpty())
            def += QLatin1Char(' ') + c.declType;
        if (c.declType.isEmpty() || IsTextType(c.declType))
            def += QStringLiteral(" COLLATE ") + QLatin1String(kJetCollation);
        if (IsFlagType(c.declType))
            after += FlagTriggers(table, c.name);
        defs += def;
    }
    QStringList out;
    out += QStringLiteral("CREATE %1TABLE %2 (%3)")
               .arg(temporary ? QStringLiteral("TEMP ") : QString(), SqlIdentifier(table),
                    defs.join(QStringLiteral(", ")));
    for (const QString &trigger : after)
        out += temporary ? QString(trigger).replace(0, 14, QStringLiteral("CREATE TEMP TRIGGER")) : trigger;
    return out;
}

bool JetSql::IsTextType(const QString &declType)
{
    const QString t = BaseTypeWord(declType);
    for (const char *w : kTextTypes)
        if (t.contains(QLatin1String(w)))
            return true;
    return false;
}

bool JetSql::IsFlagType(const QString &declType)
{
    const QString t = BaseTypeWord(declType);
    for (const char *w : kFlagTypes)
        if (t == QLatin1String(w))
            return true;
    return false;
}

bool JetSql::IsDateType(const QString &declType)
{
    const QString t = BaseTypeWord(declType);
    return t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"));
}

} // namespace platform
