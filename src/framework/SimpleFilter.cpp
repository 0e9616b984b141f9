#include "framework/SimpleFilter.h"

#include <QAction>
#include <QDate>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <memory>

#include "components/FilterMan.h"
#include "components/PeriodEdit.h"
#include "core/DialogsEx.h"
#include "core/LineConv.h"
#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "framework/FilterTypes.h"

namespace {

QString DottedDate(const QDate &D) { return D.toString(QStringLiteral("dd.MM.yyyy")); }

QString MonthRange(int FromMonth, int ToMonth, int Year)
{
    if (FromMonth < 1 || FromMonth > 12 || ToMonth < 1 || ToMonth > 12)
        return QString();
    const QDate from(Year, FromMonth, 1);
    const QDate toFirst(Year, ToMonth, 1);
    if (!from.isValid() || !toFirst.isValid())
        return QString();
    return DottedDate(from) + QLatin1Char(':') + DottedDate(QDate(Year, ToMonth, toFirst.daysInMonth()));
}

int FilterKindOf(const TFieldProps *Leaf)
{
    switch (Leaf->Kind()) {
    case TFieldProps::fkNumber:
        return FilterKindNumber;
    case TFieldProps::fkDate:
        return FilterKindDate;
    default:
        return FilterKindText;
    }
}

} // namespace

QString PeriodToDateRange(const QString &PeriodText, int Year)
{
    QString kind;
    QString a;
    QString b;
    GetPiece(PeriodText, QLatin1Char('@'), 0, kind);
    GetPiece(PeriodText, QLatin1Char('@'), 1, a);
    GetPiece(PeriodText, QLatin1Char('@'), 2, b);
    if (kind == QLatin1String("1")) {
        const int m = StrToIntOrZero(a);
        return MonthRange(m, m, Year);
    }
    if (kind == QLatin1String("6"))
        return MonthRange(StrToIntOrZero(a), StrToIntOrZero(b), Year);
    if (kind == QLatin1String("5")) {
        QDate from;
        QDate to;
        try {
            from = YyyymmddToDate(a);
            to = YyyymmddToDate(b);
        } catch (const EConvertError &) {
            return QString();
        }
        return DottedDate(from) + QLatin1Char(':') + DottedDate(to);
    }
    return QString();
}

int FilterPeriodYear()
{
    QString end;
    if (MGetPeriodEndDate(end)) {
        const QDate date = QDate::fromString(end, QStringLiteral("dd.MM.yyyy"));
        if (date.isValid())
            return date.year();
    }
    return QDate::currentDate().year();
}

// ---------------------------------------------------------------------------

TfrmSimpleFilter::TfrmSimpleFilter(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("frmSimpleFilter"));
    setWindowTitle(QStringLiteral("Филтър"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    layout->addWidget(ScrollBox, 1);

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    auto *buttons = new QHBoxLayout(pnlBottom);
    btnOk = new QPushButton(QStringLiteral("F2-Избор"), pnlBottom);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("ESC-Изход"), pnlBottom);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnClear = new QPushButton(QStringLiteral("F5-Нулиране"), pnlBottom);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    buttons->addStretch(1);
    for (QPushButton *button : {btnOk, btnCancel, btnClear}) {
        // Enter moves between the inputs; it presses no button.
        button->setAutoDefault(false);
        button->setDefault(false);
        buttons->addWidget(button);
    }
    layout->addWidget(pnlBottom);

    auto makeAction = [this](const QString &Name, const QKeySequence &Key) {
        auto *action = new QAction(this);
        action->setObjectName(Name);
        action->setShortcut(Key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        return action;
    };
    actOk = makeAction(QStringLiteral("actOk"), Qt::Key_F2);
    actClear = makeAction(QStringLiteral("actClear"), Qt::Key_F5);
    actCancel = makeAction(QStringLiteral("actCancel"), Qt::Key_Escape);
    connect(actOk, &QAction::triggered, this, [this] { actOkExecute(); });
    connect(actClear, &QAction::triggered, this, [this] { actClearExecute(); });
    connect(actCancel, &QAction::triggered, this, [this] { actCancelExecute(); });
    connect(btnOk, &QPushButton::clicked, actOk, &QAction::trigger);
    connect(btnCancel, &QPushButton::clicked, actCancel, &QAction::trigger);
    connect(btnClear, &QPushButton::clicked, actClear, &QAction::trigger);

    const QFontMetrics metrics(font());
    FMargin = metrics.height();
    FRowHeight = 3 * metrics.height();
}

TfrmSimpleFilter::~TfrmSimpleFilter() = default;

TfrmSimpleFilter *TfrmSimpleFilter::CreateFilter(QWidget *Owner, TFieldProps *Root)
{
    std::unique_ptr<TfrmSimpleFilter> dialog(new TfrmSimpleFilter(Owner));
    if (Root)
        Root->IterateLeaves([&dialog](const QString &Caption, TFieldProps *Leaf) {
            dialog->FLeaves.emplace_back(Caption, Leaf);
        });
    dialog->CreateControls();
    if (!dialog->FInputs.empty())
        dialog->FInputs.front()->setFocus();
    return dialog.release();
}

void TfrmSimpleFilter::CreateControls()
{
    auto *box = new QWidget;
    box->setObjectName(QStringLiteral("ScrollBoxClient"));
    const QFontMetrics metrics(font());
    const int labelHeight = metrics.height();
    const int gap = std::max(1, metrics.height() / 10);
    std::vector<TFieldProps *> leaves;
    for (const auto &leaf : FLeaves)
        leaves.push_back(leaf.second);
    FShownCaptions = TFieldProps::DistinctCaptions(leaves);
    // The columns as wide as the longest caption, so that each shows whole,
    // up to half of the screen.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int widest = screen ? screen->availableGeometry().width() / 2 - 2 * FMargin : 480;
    for (const QString &caption : FShownCaptions)
        FColumnWidth = std::max(FColumnWidth, std::min(widest, metrics.horizontalAdvance(caption) + 2 * FMargin));
    // A caption longer than its column wraps, and its row grows by the
    // lines it adds.
    const int width = FColumnWidth - FMargin;
    std::vector<int> labelHeights;
    for (const QString &caption : FShownCaptions)
        labelHeights.push_back(std::max(
            labelHeight, metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, caption).height()));
    int top = FMargin / 2;
    for (int i = 0; i < LeafCount(); ++i) {
        const int column = i % 2;
        const int left = column * FColumnWidth + FMargin;
        const std::size_t first = static_cast<std::size_t>(i - column);
        const int captionHeight = std::max(labelHeights[first], first + 1 < labelHeights.size()
                                                                    ? labelHeights[first + 1]
                                                                    : labelHeight);
        // The caption as it stands: a '&' of a header is no mnemonic.
        auto *label = new QLabel(QString(FShownCaptions[static_cast<std::size_t>(i)]).replace(
                                     QLatin1Char('&'), QStringLiteral("&&")),
                                 box);
        label->setWordWrap(labelHeights[static_cast<std::size_t>(i)] > labelHeight);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        label->setGeometry(left, top, width, captionHeight);
        label->setToolTip(LeafCaption(i));
        QWidget *input;
        if (Leaf(i)->Kind() == TFieldProps::fkDate)
            input = new TPeriodEdit(box);
        else
            input = new QLineEdit(box);
        input->setObjectName(QStringLiteral("edField%1").arg(i));
        input->setGeometry(left, top + captionHeight + gap, width, input->sizeHint().height());
        label->setBuddy(input);
        FLabels.push_back(label);
        FInputs.push_back(input);
        if (column == 1 || i == LeafCount() - 1)
            top += FRowHeight + captionHeight - labelHeight;
    }
    FPeriods.assign(FInputs.size(), QString());
    box->resize(2 * FColumnWidth + FMargin, top + FMargin / 2);
    ScrollBox->setWidget(box);
    // As large as the fields need, up to a height that fits the screen with
    // the buttons below; the rest scrolls.
    int height = std::min(box->height(), 14 * FRowHeight);
    if (screen)
        height = std::min(height, screen->availableGeometry().height() - pnlBottom->sizeHint().height() - 4 * FMargin);
    ScrollBox->setMinimumSize(box->width() + 20, std::max(height, FRowHeight));
    adjustSize();
}

QString TfrmSimpleFilter::InputConditionText(int Index) const
{
    if (auto *period = qobject_cast<TPeriodEdit *>(Input(Index)))
        return PeriodToDateRange(period->Period(), FilterPeriodYear());
    if (auto *edit = qobject_cast<QLineEdit *>(Input(Index)))
        return edit->text();
    return QString();
}

void TfrmSimpleFilter::LoadInputs()
{
    for (int i = 0; i < LeafCount(); ++i) {
        if (auto *period = qobject_cast<TPeriodEdit *>(Input(i)))
            period->SetPeriod(FPeriods[static_cast<std::size_t>(i)]);
        else if (auto *edit = qobject_cast<QLineEdit *>(Input(i)))
            edit->setText(Leaf(i)->ConditionText());
    }
}

TModalResult TfrmSimpleFilter::ShowModal()
{
    LoadInputs();
    if (!FInputs.empty())
        FInputs.front()->setFocus();
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}

void TfrmSimpleFilter::actOkExecute()
{
    // Built apart; the list in force changes only when every condition read.
    TLineConv built;
    built.SetFreeObjects(true);
    bool anyText = false;
    for (int i = 0; i < LeafCount(); ++i) {
        TFieldProps *leaf = Leaf(i);
        const QString text = InputConditionText(i);
        TFilterMan *condition = nullptr;
        if (!text.trimmed().isEmpty()) {
            anyText = true;
            try {
                condition = new TFilterMan(text, FilterKindOf(leaf));
            } catch (const Exception &) {
                ShowError(QStringLiteral("Невалидно условие в поле \"%1\": %2").arg(LeafCaption(i), text));
                Input(i)->setFocus();
                return;
            }
        }
        built.AddObject(QString::number(leaf->Index()), condition);
    }
    for (int i = 0; i < LeafCount(); ++i) {
        Leaf(i)->SetConditionText(InputConditionText(i));
        if (auto *period = qobject_cast<TPeriodEdit *>(Input(i)))
            FPeriods[static_cast<std::size_t>(i)] = period->Period();
    }
    if (FConditions) {
        FConditions->Clear();
        if (anyText) {
            built.SetFreeObjects(false);
            for (int i = 0; i < built.Count(); ++i)
                FConditions->AddObject(built.Strings(i), built.Objects(i));
        }
    }
    accept();
}

void TfrmSimpleFilter::actClearExecute()
{
    for (QWidget *input : FInputs) {
        if (auto *period = qobject_cast<TPeriodEdit *>(input))
            period->SetPeriod(QString());
        else if (auto *edit = qobject_cast<QLineEdit *>(input))
            edit->clear();
    }
    if (!FInputs.empty())
        FInputs.front()->setFocus();
}

void TfrmSimpleFilter::actCancelExecute() { reject(); }

void TfrmSimpleFilter::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Esc is the cancel action's.
        event->accept();
        actCancelExecute();
        return;
    }
    QDialog::keyPressEvent(event);
}
