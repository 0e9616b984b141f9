#include "components/PeriodEdit.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "core/unRegistryFuncs.h"
#include "platform/Exception.h"
#include "platform/system/MLanguageControl.h"

namespace {

// A small calendar leaf for the button.
QPixmap CalendarGlyph()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(0, 1, 11, 10);
    p.fillRect(1, 2, 10, 3, QColor(170, 0, 0));
    for (int y = 6; y <= 9; y += 3)
        for (int x = 2; x <= 9; x += 3)
            p.drawPoint(x, y);
    return pixmap;
}

int StepLimit(QChar Kind)
{
    switch (Kind.unicode()) {
    case '1':
    case '4':
        return 12;
    case '2':
        return 4;
    case '3':
        return 2;
    default:
        return 0;
    }
}

} // namespace

TPeriodEdit::TPeriodEdit(QWidget *parent) : TCustomFormEdit(parent)
{
    SetEditorEnabled(false);
    SetSpinButtonVisible(false);
    SetGlyph(CalendarGlyph());
    FPeriodForm = new TPeriodDropForm(this);
    SetForm(FPeriodForm);
}

TPeriodEdit::~TPeriodEdit()
{
    SetForm(nullptr);
}

void TPeriodEdit::SetPeriod(const QString &Value)
{
    if (Value == FPeriod)
        return;
    QString value = Value;
    const bool wellFormed = value.size() >= 3 && value.at(0) >= QLatin1Char('1') && value.at(0) <= QLatin1Char('6')
                            && value.at(1) == QLatin1Char('@');
    if (!wellFormed)
        value.clear();
    if (!value.isEmpty()) {
        const auto type = static_cast<TPeriodType>(value.at(0).unicode() - '1');
        if (!FVisiblePeriodTypes.Contains(type)) {
            value.clear();
            for (TPeriodType t : {ptMonth, ptQuarter, ptHalfYear, ptMonthWAccumulate, ptRange, ptMonthRange})
                if (FVisiblePeriodTypes.Contains(t)) {
                    value = DefaultPeriodText(t);
                    break;
                }
        }
    }
    if (value.startsWith(QLatin1Char('6'))) {
        QString m1;
        QString m2;
        GetPiece(value, QLatin1Char('@'), 1, m1);
        GetPiece(value, QLatin1Char('@'), 2, m2);
        if (m1.isEmpty() || m2.isEmpty())
            value = QStringLiteral("6@1@1");
    }
    FPeriod = value;
    QString words;
    PeriodToText(FPeriod, FEnglish, FShowYear, words);
    setText(words);
    // Remembered only through the accounting link's control, which names
    // the user; without it nothing is stored.
    if (FSaveLastPeriod && MLinkControl())
        SetRegistrySetting(RegistryName(), FPeriod);
}

QString TPeriodEdit::RegistryName() const
{
    const QString user = MLinkControl() ? MLinkControl()->Property(18) : QString();
    const QString owner = parentWidget() && parentWidget()->window() ? parentWidget()->window()->objectName()
                                                                      : QString();
    return QStringLiteral("PERIOD_") + user + QLatin1Char('_') + owner + QLatin1Char('_') + objectName();
}

void TPeriodEdit::SetShowYear(bool Value)
{
    FShowYear = Value;
    const QString period = FPeriod;
    FPeriod = QStringLiteral("\x01");
    SetPeriod(period);
}

void TPeriodEdit::Loaded()
{
    if (FLoadLastPeriod) {
        if (MLinkControl()) {
            QString value;
            GetRegistrySetting(RegistryName(), value);
            SetPeriod(value);
        }
    } else {
        QString month;
        if (MGetPeriodMonth(month) && !month.isEmpty())
            SetPeriod(QStringLiteral("1@") + month);
    }
}

void TPeriodEdit::Step(int Delta)
{
    if (FPeriod.isEmpty())
        return;
    const int limit = StepLimit(FPeriod.at(0));
    if (limit == 0)
        return;
    QString field;
    GetPiece(FPeriod, QLatin1Char('@'), 1, field);
    bool ok = false;
    const int n = field.trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("\"%1\" не е цяло число").arg(field));
    const int stepped = std::clamp(n + Delta, 1, limit);
    SetPeriod(FPeriod.left(1) + QLatin1Char('@') + QString::number(stepped));
}

void TPeriodEdit::UpClick()
{
    TCustomFormEdit::UpClick();
    if (!isReadOnly())
        Step(1);
}

void TPeriodEdit::DownClick()
{
    TCustomFormEdit::DownClick();
    if (!isReadOnly())
        Step(-1);
}

void TPeriodEdit::FormOk()
{
    SetPeriod(FPeriodForm->PeriodText());
    TCustomFormEdit::FormOk();
}

void TPeriodEdit::DropDown()
{
    SetForm(FPeriodForm);
    FPeriodForm->SetVisibleTypes(FVisiblePeriodTypes);
    FPeriodForm->SetPeriod(FPeriod);
    TCustomFormEdit::DropDown();
}

void TPeriodEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier && !isReadOnly()) {
        SetPeriod(QString());
        e->accept();
        return;
    }
    TCustomFormEdit::keyPressEvent(e);
}

void TPeriodEdit::mousePressEvent(QMouseEvent *e)
{
    TCustomFormEdit::mousePressEvent(e);
    if (e->button() == Qt::LeftButton)
        DropDown();
}
