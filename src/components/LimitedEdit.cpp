#include "components/LimitedEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "platform/print/CodePages.h"

namespace {

// The Windows-1251 code of C; false when the code page lacks it.
bool CodeOf(QChar C, int &Code)
{
    unsigned char b = 0;
    if (!platform::CodePageByte(C.unicode(), platform::CodePage::Windows1251, b))
        return false;
    Code = b;
    return true;
}

} // namespace

TLimitedEdit::TLimitedEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
}

void TLimitedEdit::SetValidChars(const QString &Value)
{
    FValidChars = Value;
    FSet.reset();
    const int n = static_cast<int>(Value.size());
    int rangeFrom = -1;      // a '-' was read after this code (or 0 at start)
    int last = -1;           // the code of the last single character
    for (int i = 0; i < n; ++i) {
        const QChar c = Value[i];
        if (c == QChar('-')) {
            if (i + 1 < n && Value[i + 1] == QChar('-')) {
                FSet.set('-');
                last = '-';
                rangeFrom = -1;
                ++i;
                continue;
            }
            rangeFrom = i == 0 ? 0 : (last >= 0 ? last : 0);
            continue;
        }
        int code = 0;
        const bool known = CodeOf(c, code);
        if (rangeFrom >= 0) {
            if (known)
                for (int k = rangeFrom; k <= code; ++k)
                    FSet.set(k);
            rangeFrom = -1;
            last = -1;
            continue;
        }
        if (known)
            FSet.set(code);
        last = known ? code : -1;
    }
    if (rangeFrom >= 0)   // "a-" at the end, or "-" alone
        for (int k = rangeFrom; k < 256; ++k)
            FSet.set(k);
    FLastText.clear();
    TextChanged();
}

void TLimitedEdit::SetCharCase(TEditCharCase Value)
{
    FCharCase = Value;
    if (Value == ecUpperCase)
        SetText(text().toUpper());
    else if (Value == ecLowerCase)
        SetText(text().toLower());
}

bool TLimitedEdit::IsAllowed(QChar C) const
{
    int code = 0;
    return CodeOf(C, code) && FSet.test(code);
}

QString TLimitedEdit::AllowedOnly(const QString &S) const
{
    QString r;
    r.reserve(S.size());
    for (const QChar c : S)
        if (IsAllowed(c))
            r.append(c);
    return r;
}

void TLimitedEdit::SetText(const QString &Value)
{
    QString t = Value;
    if (FCharCase == ecUpperCase)
        t = t.toUpper();
    else if (FCharCase == ecLowerCase)
        t = t.toLower();
    setText(AllowedOnly(t));
}

void TLimitedEdit::PasteAllowed()
{
    if (isReadOnly())
        return;
    QString clip = QApplication::clipboard()->text();
    if (FCharCase == ecUpperCase)
        clip = clip.toUpper();
    else if (FCharCase == ecLowerCase)
        clip = clip.toLower();
    insert(AllowedOnly(clip));
}

void TLimitedEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Paste)) {
        PasteAllowed();
        e->accept();
        return;
    }
    const QString typed = e->text();
    if (typed.size() == 1 && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        QChar c = typed[0];
        const char16_t u = c.unicode();
        if (u == '\b' || u == '\n' || u == '\r' || u == 0x1B) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        if (FCharCase == ecUpperCase && c.isLower())
            c = c.toUpper();
        else if (FCharCase == ecLowerCase && c.isUpper())
            c = c.toLower();
        if (c.isPrint()) {
            if (IsAllowed(c) && !isReadOnly())
                insert(QString(c));
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TLimitedEdit::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String("edit-paste")) {
            disconnect(a, &QAction::triggered, nullptr, nullptr);
            connect(a, &QAction::triggered, this, [this] { PasteAllowed(); });
        }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TLimitedEdit::TextChanged()
{
    if (FInChange)
        return;
    const QString t = text();
    if (AllowedOnly(t) == t) {
        FLastText = t;
        if (OnChange)
            OnChange(this);
        return;
    }
    FInChange = true;
    setText(FLastText);
    FInChange = false;
}
