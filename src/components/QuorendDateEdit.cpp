#include "components/QuorendDateEdit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>

#include "core/DialogsEx.h"
#include "platform/ui/Colors.h"

#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"

TQuorendDateEdit::TQuorendDateEdit(QWidget *parent) : TFilteredEdit(parent)
{
    auto *v = new TDateValidator;
    v->SetFromDate(QDate(1900, 1, 1));
    v->SetToDate(QDate(3000, 1, 1));
    SetValidator(v);
}

TDateValidator *TQuorendDateEdit::DateValidator() const
{
    return static_cast<TDateValidator *>(Validator());
}

QDate TQuorendDateEdit::FromDate() const
{
    return DateValidator()->FromDate();
}

void TQuorendDateEdit::SetFromDate(const QDate &Value)
{
    DateValidator()->SetFromDate(Value);
    CheckState();
    UpdateLook();
}

QDate TQuorendDateEdit::ToDate() const
{
    return DateValidator()->ToDate();
}

void TQuorendDateEdit::SetToDate(const QDate &Value)
{
    DateValidator()->SetToDate(Value);
    CheckState();
    UpdateLook();
}

QDate TQuorendDateEdit::Date() const
{
    if (DataState() != vsValid && DataState() != vsStillValid)
        return QDate();
    QString t = text();
    t.replace(QChar(','), QChar('.'));
    const QStringList parts = t.split(QChar('.'));
    auto part = [&parts](int i) { return i < parts.size() ? StrToIntOrZero(parts[i]) : 0; };
    const QDate base = FitDateToPeriod(false, QDate::currentDate());
    const int day = part(0) ? part(0) : base.day();
    const int month = part(1) ? part(1) : base.month();
    // A year of one to three digits is one still being typed.
    const bool fullYear = parts.size() == 3 && parts[2].size() == 4;
    const int year = fullYear && part(2) ? part(2) : base.year();
    // An impossible day (31 in a 30-day month) is no date, never today.
    const QDate d(year, month, day);
    return d.isValid() ? d : QDate();
}

void TQuorendDateEdit::SetDate(const QDate &Value)
{
    SetText(Value.isValid() ? DateToDisplayText(Value) : QString());
}

QDate TQuorendDateEdit::DateOrToDate() const
{
    const QDate d = Date();
    return d.isValid() ? d : ToDate();
}

QChar TQuorendDateEdit::ConvertChar(QChar C)
{
    return C == QChar(',') ? QChar('.') : TFilteredEdit::ConvertChar(C);
}

void TQuorendDateEdit::TypeChar(QString &Text, int Start, int Length, int &Caret, QChar C)
{
    if (Length > 0) {
        TFilteredEdit::TypeChar(Text, Start, Length, Caret, C);
        return;
    }
    // The text never holds an impossible date: where typing over would
    // make one (0 over the 3 of 30.04.2024), the digit ends its part
    // (30.1.2024 for a 1 over the 0 of the month), else the text from the
    // caret on is typed anew.
    const QString before = Text;
    const int at = Caret;
    TypeIntoDateText(Text, Start, Length, Caret, C);
    auto refused = [this](const QString &T) {
        const TValidateState s = Validate(T);
        return s == vsInvalid || s == vsInvalidChars;
    };
    if (!refused(Text) || at >= before.size() || !C.isDigit())
        return;
    const int from = before[at] == QChar('.') ? at + 1 : at;
    int end = static_cast<int>(before.indexOf(QChar('.'), from));
    if (end < 0)
        end = static_cast<int>(before.size());
    QString part = before;
    part.replace(from, end - from, C);
    if (!refused(part)) {
        Text = part;
        Caret = from + 1;
        return;
    }
    Text = before.left(from) + C;
    Caret = from + 1;
}

void TQuorendDateEdit::focusOutEvent(QFocusEvent *e)
{
    TFilteredEdit::focusOutEvent(e);
    // A menu or another window taking the focus is not leaving the edit.
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    QString t = text();
    if (t.contains(QChar(','))) {
        t.replace(QChar(','), QChar('.'));
        SetText(t);
    }
    // An empty edit stays empty: no date typed is not a date.
    if (FValidateOnExit && !text().isEmpty()) {
        const QDate d = Date();
        if (d.isValid())
            SetDate(d);
    }
    if (OnExit)
        OnExit(this);
}

// ---------------------------------------------------------------------------
// Typed dates

namespace {

bool IsWholeDateText(const QString &Text)
{
    static const QRegularExpression whole(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d\\d\\d$"));
    return whole.match(Text).hasMatch();
}

// The parts of a typed date: cut at '.' (',' counts as '.'), a last empty
// part ("15.3.") left out. False when a part is not all digits.
bool DateParts(const QString &Text, QStringList &Parts)
{
    QString t = Text;
    t.replace(QChar(','), QChar('.'));
    Parts = t.split(QChar('.'));
    if (Parts.size() > 1 && Parts.last().isEmpty())
        Parts.removeLast();
    for (const QString &p : Parts) {
        for (const QChar c : p)
            if (!c.isDigit())
                return false;
    }
    return true;
}

} // namespace

void TypeIntoDateText(QString &Text, int Start, int Length, int &Caret, QChar C)
{
    if (Length > 0) {
        Text.remove(Start, Length);
        Text.insert(Start, C);
        Caret = Start + 1;
        return;
    }
    if (IsWholeDateText(Text) && Caret >= 0 && Caret < Text.size()) {
        int at = Caret;
        if (C == QChar('.') && Text[at] == QChar('.')) {
            Caret = at + 1;
            return;
        }
        if (C.isDigit()) {
            if (Text[at] == QChar('.'))
                ++at;
            if (at < Text.size()) {
                Text[at] = C;
                Caret = at + 1;
                return;
            }
        }
    }
    Caret = qBound(0, Caret, static_cast<int>(Text.size()));
    Text.insert(Caret, C);
    ++Caret;
}

bool IsDateBeginning(const QString &Text)
{
    QStringList parts;
    if (Text.isEmpty())
        return true;
    if (!DateParts(Text, parts) || parts.size() > 3 || parts[0].isEmpty())
        return false;
    static const int longest[] = {2, 2, 4};
    for (int i = 0; i < parts.size(); ++i)
        if (parts[i].size() > longest[i] || (i < parts.size() - 1 && parts[i].isEmpty()))
            return false;
    return true;
}

bool ReadTypedDate(const QString &Text, const QDate &Base, bool Short, QDate &Result)
{
    Result = QDate();
    QStringList parts;
    if (Text.isEmpty() || !IsDateBeginning(Text) || !DateParts(Text, parts))
        return false;
    if (!Short && (parts.size() != 3 || parts[2].size() != 4))
        return false;
    const int day = parts[0].toInt();
    const int month = parts.size() > 1 ? parts[1].toInt() : Base.month();
    int year = Base.year();
    if (parts.size() > 2) {
        // A year is written whole: a short one would be read as some year
        // the clerk did not type.
        if (parts[2].size() != 4)
            return false;
        year = parts[2].toInt();
    }
    const QDate d(year, month, day);
    if (!d.isValid())
        return false;
    Result = d;
    return true;
}

TQuorendDatePicker::TQuorendDatePicker(QWidget *parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { UpdateLook(); });
    // The date edit writes a new date's text without telling the edit; a
    // window that puts its date back does so too.
    connect(this, &QDateEdit::dateChanged, this, [this] { UpdateLook(); });
}

void TQuorendDatePicker::TakeCalendar()
{
    if (FCalendarTaken || !calendarPopup())
        return;
    QCalendarWidget *calendar = calendarWidget();
    if (!calendar)
        return;
    FCalendarTaken = true;
    // A date picked from the calendar is one change: the field takes it
    // when it is chosen (a click, Enter), not also as the calendar's
    // selection moves, which a click on a day does first: a window asks
    // about each change, and a refused selection would be asked about
    // again as the click chose the day.
    disconnect(calendar->window(), SIGNAL(newDateSelected(QDate)), this, SLOT(setDate(QDate)));
}

void TQuorendDatePicker::mousePressEvent(QMouseEvent *e)
{
    // The calendar comes with the first press on the field's button.
    TakeCalendar();
    QDateEdit::mousePressEvent(e);
}

QString TQuorendDatePicker::FieldName() const
{
    QString name = FFieldName;
    if (name.isEmpty() && parentWidget()) {
        QLabel *before = nullptr;
        for (QLabel *label : parentWidget()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
            if (label->buddy() == this)
                name = label->text();
        if (name.isEmpty() && parentWidget()->layout()) {
            QLayout *layout = parentWidget()->layout();
            for (int i = 0; i < layout->count(); ++i) {
                QWidget *w = layout->itemAt(i)->widget();
                if (w == this) {
                    if (before)
                        name = before->text();
                    break;
                }
                if (auto *label = qobject_cast<QLabel *>(w))
                    before = label;
            }
        }
    }
    name.remove(QChar('&'));
    name = name.trimmed();
    if (name.endsWith(QChar(':')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Дата") : name;
}

bool TQuorendDatePicker::Pending() const
{
    return lineEdit()->text() != textFromDateTime(dateTime());
}

QValidator::State TQuorendDatePicker::validate(QString &Input, int &) const
{
    QDate d;
    if (ReadTypedDate(Input, date(), false, d) && d >= minimumDate() && d <= maximumDate())
        return QValidator::Acceptable;
    return IsDateBeginning(Input) ? QValidator::Intermediate : QValidator::Invalid;
}

QDateTime TQuorendDatePicker::dateTimeFromText(const QString &Text) const
{
    QDate d;
    if (!ReadTypedDate(Text, date(), false, d))
        return dateTime();
    return QDateTime(d, dateTime().time());
}

bool TQuorendDatePicker::Commit()
{
    if (FCommitting || !Pending())
        return true;
    FCommitting = true;
    const QString typed = lineEdit()->text();
    QDate d;
    const bool ok = ReadTypedDate(typed, QDate::currentDate(), true, d) && d >= minimumDate() && d <= maximumDate();
    if (ok) {
        setDate(d);
        UpdateLook();
    } else {
        // The date held comes back on the screen: what is shown is what the
        // form reads.
        {
            const QSignalBlocker block(lineEdit());
            lineEdit()->setText(textFromDateTime(dateTime()));
        }
        UpdateLook();
        // The check runs also as the focus leaves, outside any action: the
        // window stays until the box is answered.
        const TControlBoxHold hold(this);
        ShowError(QStringLiteral("Невалидна дата \"%s\" в поле \"%s\"!"), {typed, FieldName()});
    }
    FCommitting = false;
    return ok;
}

void TQuorendDatePicker::PutTyped(const QString &Text, int Caret)
{
    // The text goes in as typed: the date edit's own handling of the text
    // and the caret (which reads it section by section) is kept out, and a
    // text that is a whole date becomes the date here.
    QLineEdit *edit = lineEdit();
    {
        const QSignalBlocker block(edit);
        edit->setText(Text);
    }
    QString t = Text;
    int pos = Caret;
    if (validate(t, pos) == QValidator::Acceptable) {
        QDate d;
        ReadTypedDate(Text, date(), false, d);
        setDate(d);
        const QSignalBlocker block(edit);
        // A window that refused the change (a question about unsaved work
        // answered "Отказ") has put its date back: that date is shown, not
        // the text it refused.
        const QString shown = date() == d ? Text : textFromDateTime(dateTime());
        if (edit->text() != shown)
            edit->setText(shown);
    }
    {
        const QSignalBlocker block(edit);
        edit->setCursorPosition(Caret);
    }
    UpdateLook();
}

void TQuorendDatePicker::UpdateLook()
{
    // A text that is no date (yet) stands in red until it is one.
    QString t = lineEdit()->text();
    int pos = 0;
    const bool date = validate(t, pos) == QValidator::Acceptable;
    QPalette pal = lineEdit()->palette();
    pal.setColor(QPalette::Text, date ? palette().color(QPalette::Text) : platform::ToQColor(clRed));
    lineEdit()->setPalette(pal);
}

bool TQuorendDatePicker::eventFilter(QObject *Watched, QEvent *Event)
{
    // Keys sent to the inner edit itself are typed the same way.
    if (Watched == lineEdit() && Event->type() == QEvent::KeyPress && TypeKey(static_cast<QKeyEvent *>(Event)))
        return true;
    return QDateEdit::eventFilter(Watched, Event);
}

bool TQuorendDatePicker::TypeKey(QKeyEvent *e)
{
    if (isReadOnly())
        return false;
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    QLineEdit *edit = lineEdit();
    if (e->matches(QKeySequence::SelectAll)) {
        edit->selectAll();
        e->accept();
        return true;
    }
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && mods == Qt::NoModifier) {
        QString t = edit->text();
        int caret = edit->cursorPosition();
        if (edit->hasSelectedText()) {
            caret = edit->selectionStart();
            t.remove(caret, edit->selectedText().size());
        } else if (key == Qt::Key_Backspace && caret > 0) {
            t.remove(--caret, 1);
        } else if (key == Qt::Key_Delete && caret < t.size()) {
            t.remove(caret, 1);
        }
        if (IsDateBeginning(t))
            PutTyped(t, caret);
        e->accept();
        return true;
    }
    const QString typed = e->text();
    if (typed.size() != 1 || !typed[0].isPrint() || mods != Qt::NoModifier)
        return false;
    const QChar c = typed[0] == QChar(',') ? QChar('.') : typed[0];
    if (c.isDigit() || c == QChar('.')) {
        QString t = edit->text();
        int caret = edit->cursorPosition();
        const bool selected = edit->hasSelectedText();
        TypeIntoDateText(t, selected ? edit->selectionStart() : caret,
                         selected ? static_cast<int>(edit->selectedText().size()) : 0, caret, c);
        if (IsDateBeginning(t))
            PutTyped(t, caret);
        else
            QApplication::beep();
    }
    // Any other character types nothing.
    e->accept();
    return true;
}

void TQuorendDatePicker::keyPressEvent(QKeyEvent *e)
{
    if (TypeKey(e))
        return;
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !Commit()) {
        e->accept();
        return;
    }
    QDateEdit::keyPressEvent(e);
}

void TQuorendDatePicker::focusOutEvent(QFocusEvent *e)
{
    // A menu, the calendar or another window taking the focus is not
    // leaving the field.
    // A field that goes away with its window asks nothing either.
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason && isVisible())
        Commit();
    QDateEdit::focusOutEvent(e);
}
