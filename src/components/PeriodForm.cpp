#include "components/PeriodForm.h"

#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "components/BtnEdit.h"
#include "components/QuorendDateEdit.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "platform/Exception.h"

namespace {

const char *const MonthNames[12] = {" Януари", " Февруари", " Март",     " Април",    " Май",      " Юни",
                                    " Юли",    " Август",   " Септември", " Октомври", " Ноември", " Декември"};

QString DigitsOf(const QDate &D)
{
    QString s;
    DateToYyyymmdd(D, s);
    return s;
}

} // namespace

QString DefaultPeriodText(TPeriodType Type)
{
    switch (Type) {
    case ptMonth:
        return QStringLiteral("1@1");
    case ptQuarter:
        return QStringLiteral("2@1");
    case ptHalfYear:
        return QStringLiteral("3@1");
    case ptMonthWAccumulate:
        return QStringLiteral("4@1");
    case ptRange: {
        const QDate today = QDate::currentDate();
        const QDate first(today.year(), today.month(), 1);
        return QStringLiteral("5@") + DigitsOf(first) + QLatin1Char('@')
               + DigitsOf(QDate(today.year(), today.month(), first.daysInMonth()));
    }
    case ptMonthRange:
        return QStringLiteral("6@1@1");
    }
    return QString();
}

TPeriodDropForm::TPeriodDropForm(QWidget *parent) : TDropDownForm(parent)
{
    setObjectName(QStringLiteral("PeriodDropForm"));
    pgPeriodType = new QTabWidget(BasePanel());
    pgPeriodType->setObjectName(QStringLiteral("pgPeriodType"));
    pgPeriodType->setToolTip(QStringLiteral("Период"));

    tabMonth = new QWidget(pgPeriodType);
    tabMonth->setObjectName(QStringLiteral("tabMonth"));
    auto *monthLayout = new QVBoxLayout(tabMonth);
    monthLayout->setContentsMargins(2, 2, 2, 2);
    lbMonths = new QListWidget(tabMonth);
    lbMonths->setObjectName(QStringLiteral("lbMonths"));
    for (const char *name : MonthNames)
        lbMonths->addItem(QString::fromUtf8(name));
    lbMonths->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbMonths->viewport()->installEventFilter(this);
    monthLayout->addWidget(lbMonths);
    connect(lbMonths, &QListWidget::itemDoubleClicked, this, [this] { lbMonthsDblClick(); });

    tabQuarter = new QWidget(pgPeriodType);
    tabQuarter->setObjectName(QStringLiteral("tabQuarter"));
    tabHalfYear = new QWidget(pgPeriodType);
    tabHalfYear->setObjectName(QStringLiteral("tabHalfYear"));
    tabMonthWAccum = new QWidget(pgPeriodType);
    tabMonthWAccum->setObjectName(QStringLiteral("tabMonthWAccum"));

    tabRange = new QWidget(pgPeriodType);
    tabRange->setObjectName(QStringLiteral("tabRange"));
    auto *rangeLayout = new QGridLayout(tabRange);
    lblFrom = new QLabel(QStringLiteral("От:"), tabRange);
    lblTo = new QLabel(QStringLiteral("До:"), tabRange);
    dateFrom = new TQuorendDateEdit(tabRange);
    dateFrom->setObjectName(QStringLiteral("dateFrom"));
    dateTo = new TQuorendDateEdit(tabRange);
    dateTo->setObjectName(QStringLiteral("dateTo"));
    for (TQuorendDateEdit *edit : {dateFrom, dateTo}) {
        edit->SetInvalidColor(clRed);
        edit->SetValidColor(clBlue);
        edit->SetStillValidColor(clBlue);
        edit->SetOtherColor(clBlack);
        edit->SetValidateOnExit(false);
        edit->SetFromDate(QDate(1900, 1, 1));
        edit->SetToDate(QDate(3000, 12, 31));
    }
    lblFrom->setBuddy(dateFrom);
    lblTo->setBuddy(dateTo);
    rangeLayout->addWidget(lblFrom, 0, 0);
    rangeLayout->addWidget(dateFrom, 0, 1);
    rangeLayout->addWidget(lblTo, 1, 0);
    rangeLayout->addWidget(dateTo, 1, 1);
    rangeLayout->setRowStretch(2, 1);

    pgPeriodType->addTab(tabMonth, QStringLiteral("&Месец(и)"));
    pgPeriodType->addTab(tabQuarter, QStringLiteral("1/4"));
    pgPeriodType->addTab(tabHalfYear, QStringLiteral("1/2"));
    pgPeriodType->addTab(tabMonthWAccum, QStringLiteral("1/12+"));
    pgPeriodType->addTab(tabRange, QStringLiteral("&Период"));
    pgPeriodType->setTabToolTip(0, QStringLiteral("Месец"));
    pgPeriodType->setTabToolTip(1, QStringLiteral("Тримесечие"));
    pgPeriodType->setTabToolTip(2, QStringLiteral("Полугодие"));
    pgPeriodType->setTabToolTip(3, QStringLiteral("Месец с натрупване"));
    BaseLayout()->insertWidget(0, pgPeriodType);

    // A refused Ok keeps the form open: the check comes before the action
    // closes it.
    disconnect(actOk, &QAction::triggered, this, nullptr);
    connect(actOk, &QAction::triggered, this, [this] {
        if (OkAllowed())
            actOkExecute();
    });
    resize(220, 260);
}

TPeriodDropForm::~TPeriodDropForm() = default;

int TPeriodDropForm::WorkingYear()
{
    QString year;
    if (MGetPeriodYear(year)) {
        const int y = StrToIntOrZero(year);
        if (y > 0)
            return y;
    }
    return QDate::currentDate().year();
}

void TPeriodDropForm::SetPeriod(const QString &Text)
{
    ApplyPeriod(Text.isEmpty() ? QStringLiteral("1@1") : Text);
}

void TPeriodDropForm::ApplyPeriod(const QString &Text)
{
    QString a;
    QString b;
    GetPiece(Text, QLatin1Char('@'), 1, a);
    GetPiece(Text, QLatin1Char('@'), 2, b);
    const QChar kind = Text.isEmpty() ? QChar() : Text.at(0);
    const QString fallback = QStringLiteral("1@1");
    if (kind == QLatin1Char('1')) {
        const int m = StrToIntOrZero(a);
        if (m < 1 || m > 12) {
            ApplyPeriod(fallback);
            return;
        }
        pgPeriodType->setCurrentWidget(tabMonth);
        lbMonths->setFocus();
        SelectMonths(m - 1, m - 1);
        UpdateMonthsInfo();
    } else if (kind == QLatin1Char('5')) {
        QDate from;
        QDate to;
        try {
            from = YyyymmddToDate(a);
            to = YyyymmddToDate(b);
        } catch (const EConvertError &) {
            ApplyPeriod(fallback);
            return;
        }
        dateFrom->SetDate(from);
        dateTo->SetDate(to);
        pgPeriodType->setCurrentWidget(tabRange);
    } else if (kind == QLatin1Char('6')) {
        const int m1 = StrToIntOrZero(a);
        const int m2 = StrToIntOrZero(b);
        if (m1 < 1 || m1 > 12 || m2 < 1 || m2 > 12) {
            ApplyPeriod(fallback);
            return;
        }
        pgPeriodType->setCurrentWidget(tabMonth);
        lbMonths->setFocus();
        SelectMonths(std::min(m1, m2) - 1, std::max(m1, m2) - 1);
        UpdateMonthsInfo();
    } else {
        ApplyPeriod(fallback);
        return;
    }
    FPeriodText = Text;
}

void TPeriodDropForm::SelectMonths(int First, int Last)
{
    lbMonths->clearSelection();
    for (int i = First; i <= Last; ++i)
        lbMonths->item(i)->setSelected(true);
    lbMonths->setCurrentRow(First, QItemSelectionModel::NoUpdate);
}

QList<int> TPeriodDropForm::SelectedMonths() const
{
    QList<int> months;
    for (int i = 0; i < lbMonths->count(); ++i)
        if (lbMonths->item(i)->isSelected())
            months << i;
    return months;
}

void TPeriodDropForm::SetVisibleTypes(TPeriodTypes Set)
{
    if (FTypesSet && Set.Bits() == FVisibleTypes.Bits())
        return;
    FTypesSet = true;
    FVisibleTypes = Set;
    const TPeriodType pages[5] = {ptMonth, ptQuarter, ptHalfYear, ptMonthWAccumulate, ptRange};
    for (int i = 0; i < 5; ++i)
        pgPeriodType->setTabVisible(i, Set.Contains(pages[i]));
    lbMonths->setSelectionMode(Set.Contains(ptMonthRange) ? QAbstractItemView::ExtendedSelection
                                                         : QAbstractItemView::SingleSelection);
}

void TPeriodDropForm::UpdateMonthsInfo()
{
    const QList<int> months = SelectedMonths();
    if (months.isEmpty())
        return;
    const int year = WorkingYear();
    const int first = months.first();
    const int last = months.last();
    if (months.size() > 1 && last - first + 1 != months.size())
        SelectMonths(first, last);
    const QDate from(year, first + 1, 1);
    const QDate lastFirst(year, last + 1, 1);
    QDate to(year, last + 1, lastFirst.daysInMonth());
    const QDate today = QDate::currentDate();
    if (months.size() > 1 && year == today.year() && last + 1 == today.month() && to > today)
        to = today;
    dateFrom->SetDate(from);
    dateTo->SetDate(to);
}

void TPeriodDropForm::Popup()
{
    TDropDownForm::Popup();
    if (OwnerControl())
        resize(OwnerControl()->width(), height());
}

bool TPeriodDropForm::OkAllowed()
{
    if (pgPeriodType->currentWidget() == tabMonth && SelectedMonths().isEmpty()) {
        // No month picked: there is no period to take.
        SoundBeep(bkError);
        return false;
    }
    const QDate from = dateFrom->Date();
    const QDate to = dateTo->Date();
    if (pgPeriodType->currentWidget() == tabRange && (!from.isValid() || !to.isValid())) {
        SoundBeep(bkError);
        return false;
    }
    if (from.isValid() && to.isValid() && to < from) {
        const TControlBoxHold hold(this);
        ShowWarning(QStringLiteral("Началната дата (%s) не може да е по-голяма от крайната (%s) !"),
                    {dateFrom->text(), dateTo->text()});
        return false;
    }
    return true;
}

void TPeriodDropForm::Ok()
{
    if (!OkAllowed())
        return;
    pgPeriodType->setFocus();
    QWidget *page = pgPeriodType->currentWidget();
    if (page == tabMonth) {
        const QList<int> months = SelectedMonths();
        if (months.size() < 2)
            FPeriodText = QStringLiteral("1@%1").arg(months.first() + 1);
        else
            FPeriodText = QStringLiteral("6@%1@%2").arg(months.first() + 1).arg(months.last() + 1);
    } else if (page == tabRange) {
        FPeriodText = QStringLiteral("5@") + DigitsOf(dateFrom->Date()) + QLatin1Char('@') + DigitsOf(dateTo->Date());
    }
    TDropDownForm::Ok();
}

void TPeriodDropForm::lbMonthsDblClick()
{
    if (actOk->isEnabled())
        actOk->trigger();
}

void TPeriodDropForm::lbMonthsMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift)
{
    if (Button != Qt::LeftButton)
        return;
    UpdateMonthsInfo();
    // Ctrl and Shift add months to the pick; a plain click takes it.
    if (!(Shift & (Qt::ControlModifier | Qt::ShiftModifier)) && actOk->isEnabled())
        actOk->trigger();
}

bool TPeriodDropForm::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == lbMonths->viewport() && Event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(Event);
        const Qt::MouseButton button = mouse->button();
        const Qt::KeyboardModifiers modifiers = mouse->modifiers();
        // The list takes the release first, so the pick is complete.
        QMetaObject::invokeMethod(
            this, [this, button, modifiers] { lbMonthsMouseUp(button, modifiers); }, Qt::QueuedConnection);
    }
    return TDropDownForm::eventFilter(Watched, Event);
}
