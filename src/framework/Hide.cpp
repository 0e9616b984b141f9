#include "framework/Hide.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <limits>

#include "components/Formatters.h"
#include "components/PeriodEdit.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/Sorters.h"
#include "core/StringList.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/QuorendReadForm.h"

namespace {

const QString SortTexts[] = {QStringLiteral("Възходящ"), QStringLiteral("Низходящ"),
                             QStringLiteral("(не се сортира)")};
constexpr TColor HeaderColor = 15852465;
constexpr QChar ImageMark = QChar(0x00B7); // '·' between a text and its image index

// An open or closed eye.
QPixmap Eye(bool Open)
{
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 1.2));
    g.setBrush(Qt::white);
    g.drawEllipse(QRectF(1.5, 4.5, 13, 7));
    if (Open) {
        g.setBrush(QColor(0, 64, 160));
        g.drawEllipse(QRectF(5.5, 5, 5, 6));
    } else {
        g.drawLine(QPointF(2, 14), QPointF(14, 2));
    }
    return p;
}

bool ReadsAsDate(const QString &S, int &Key)
{
    // dd.mm.yyyy
    if (S.size() != 10 || S[2] != QLatin1Char('.') || S[5] != QLatin1Char('.'))
        return false;
    const QDate d = QDate::fromString(S, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        return false;
    Key = d.year() * 10000 + d.month() * 100 + d.day();
    return true;
}

bool ReadsAsNumber(const QString &S, long double &V)
{
    if (S.trimmed().isEmpty())
        return false;
    V = DotStrToFloat(S, std::numeric_limits<long double>::quiet_NaN());
    return !std::isnan(V);
}

int DayKey(const QDate &d) { return d.year() * 10000 + d.month() * 100 + d.day(); }

int ReadDayKey(const QString &S, bool &Ok)
{
    // yyyymmdd, the day cut to the month's length
    Ok = false;
    if (S.size() != 8)
        return 0;
    bool a = false, b = false, c = false;
    const int y = S.left(4).toInt(&a), m = S.mid(4, 2).toInt(&b), d = S.mid(6, 2).toInt(&c);
    if (!a || !b || !c || m < 1 || m > 12 || d < 1)
        return 0;
    Ok = true;
    return DayKey(QDate(y, m, std::min(d, QDate(y, m, 1).daysInMonth())));
}

// The record delimiter of criteria texts.
const QChar RecordMark = QChar(0x00B0);

} // namespace

TformHide::TformHide(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendEditForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("formHide"));
    setWindowTitle(QStringLiteral("Сортиране и скриване"));
    pnlCaption->setText(QStringLiteral("Сортиране и скриване"));
    setMaximumWidth(550);
    SetCloseAfterSave(true);
    actSave->setEnabled(true);

    imagesEyes = new TImageList(this, 16, 16);
    imagesEyes->Add(Eye(false));
    imagesEyes->Add(Eye(true));

    auto *top = new QHBoxLayout;
    cbNullCol = new QCheckBox(QStringLiteral("Скрива празни колони"), ClientArea);
    sbtnAdd = new QToolButton(ClientArea);
    sbtnAdd->setText(QStringLiteral("+"));
    sbtnAdd->setToolTip(QStringLiteral("Добавяне на критерии"));
    sbtnDel = new QToolButton(ClientArea);
    sbtnDel->setText(QStringLiteral("-"));
    sbtnDel->setToolTip(QStringLiteral("Изтриване на критерии"));
    top->addWidget(cbNullCol);
    top->addStretch(1);
    top->addWidget(sbtnAdd);
    top->addWidget(sbtnDel);
    ClientLayout->addLayout(top);

    RichGrid1 = new TRichGrid(ClientArea);
    RichGrid1->setObjectName(QStringLiteral("RichGrid1"));
    RichGrid1->SetDefaultRowHeight(24);
    RichGrid1->SetImages(imagesEyes);
    RichGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ClientLayout->addWidget(RichGrid1, 1);
    UpDown1 = new QScrollBar(Qt::Horizontal, ClientArea);
    ClientLayout->addWidget(UpDown1);

    cbSortType = new QComboBox(RichGrid1->viewport());
    for (const QString &t : SortTexts)
        cbSortType->addItem(t);
    cbSortType->hide();

    PeriodEdit = new TPeriodEdit(RichGrid1->viewport());
    PeriodEdit->setObjectName(QStringLiteral("PeriodEdit"));
    PeriodEdit->SetShowYear(true);
    PeriodEdit->hide();

    DateFormatter = new TCellFormatter(this);
    DateFormatter->OnCellFormat = [](TCellFormatter &, TRichGrid &, int, int, QString &Text, TCellAttributes &) {
        if (!Text.isEmpty()) {
            QString words;
            PeriodToText(Text, false, false, words);
            if (!words.isEmpty())
                Text = words;
        }
    };

    connect(sbtnAdd, &QToolButton::clicked, this, [this] { AddCriteriaRow(); });
    connect(sbtnDel, &QToolButton::clicked, this, [this] { DeleteCriteriaRow(); });
    connect(UpDown1, &QScrollBar::valueChanged, this, [this](int v) {
        CloseEditors();
        RichGrid1->SetLeftCol(std::max(v, RichGrid1->FixedCols()));
    });
    connect(cbSortType, QOverload<int>::of(&QComboBox::activated), this, [this](int) { CloseEditors(); });
    RichGrid1->OnClick = [this](QObject *) { CellClicked(RichGrid1->Col(), RichGrid1->Row()); };
    RichGrid1->OnTopLeftChanged = [this](QObject *) { CloseEditors(); };
    StatusBar->show();
    SetShowGauge(true);
}

TformHide::~TformHide() = default;

int TformHide::CriteriaRowCount() const { return RichGrid1->RowCount() - FirstCriteriaRow(); }

void TformHide::LoadFromGrid(TRichGrid *Grid)
{
    FSource = Grid;
    const int cols = Grid->ColCount();
    FHeaderRows = Grid->FixedRows();
    RichGrid1->SetColCount(cols);
    RichGrid1->SetRowCount(FHeaderRows + 2 + MinCriteriaRows);
    RichGrid1->SetFixedCols(0);
    RichGrid1->SetFixedRows(FHeaderRows);
    RichGrid1->FixedAttributes()->SetBackColor(HeaderColor);
    RichGrid1->SetOptions(RichGrid1->Options() + goEditing);
    FEyes.assign(static_cast<size_t>(cols), true);
    FKinds.clear();
    for (int c = 0; c < cols; ++c) {
        RichGrid1->SetColWidths(c, Grid->ColWidths(c));
        for (int r = 0; r < FHeaderRows; ++r) {
            RichGrid1->SetCells(c, r, Grid->Cells(c, r));
            TGridRect block;
            Grid->GetMergeRect(c, r, block);
            if (!block.IsSingleCell() && block.Left == c && block.Top == r)
                RichGrid1->MergeCells(block);
            TColRowAttributes a;
            QString text;
            Grid->GetDisplayAttributes(c, r, &a, text);
            RichGrid1->GetCellAttributes(c, r)->SetAlignment(a.Alignment());
        }
        // The kind of the column, from its look and then its data.
        TColRowAttributes *col = Grid->HasColAttributes(c) ? Grid->GetColAttributes(c) : nullptr;
        char kind = KindText;
        if (col && col->BitmapDrawMode() != bmDontDraw)
            kind = KindImage;
        else if (col && dynamic_cast<TDateValueFormatter *>(col->Formatter()))
            kind = KindDateFormatter;
        else {
            bool any = false, dates = true, numbers = true;
            for (int r = FHeaderRows; r < Grid->RowCount() && (dates || numbers); ++r) {
                const QString s = Grid->Cells(c, r);
                if (s.isEmpty())
                    continue;
                any = true;
                int key;
                long double v;
                dates = dates && ReadsAsDate(s, key);
                numbers = numbers && ReadsAsNumber(s, v);
            }
            kind = !any ? KindText : dates ? KindDate : numbers ? KindNumber : KindText;
        }
        FKinds += QLatin1Char(kind);
        const bool shown = Grid->ColWidths(c) > 0 && (!col || col->Visible());
        if (!shown)
            RichGrid1->SetColWidths(c, 0);
        SetEye(c, shown);
        RichGrid1->SetCells(c, SortRow(), QString());
        for (int r = FirstCriteriaRow(); r < RichGrid1->RowCount(); ++r)
            PrepareCriteriaCell(c, r);
    }
    UpDown1->setRange(0, std::max(0, cols - 1));
    if (FHeaderRows < RichGrid1->RowCount())
        RichGrid1->SetRow(EyeRow());
}

void TformHide::SetEye(int ACol, bool Open)
{
    if (ACol < 0 || ACol >= static_cast<int>(FEyes.size()))
        return;
    FEyes[static_cast<size_t>(ACol)] = Open;
    TCellAttributes *a = RichGrid1->GetCellAttributes(ACol, EyeRow());
    a->SetBitmapDrawMode(bmCenter);
    a->SetBitmapAlignment(caCenter);
    a->SetImageIndex(Kind(ACol) == KindImage ? -1 : (Open ? 1 : 0));
    a->SetCanEdit(false);
    RichGrid1->GetCellAttributes(ACol, SortRow())->SetCanEdit(false);
}

bool TformHide::ColumnShown(int ACol) const
{
    return ACol >= 0 && ACol < static_cast<int>(FEyes.size()) && FEyes[static_cast<size_t>(ACol)];
}

void TformHide::SetSettings(const QString &S)
{
    for (int c = 0; c < RichGrid1->ColCount(); ++c) {
        const QChar ch = c < S.size() ? S[c] : QLatin1Char('3');
        QString text;
        if (Kind(c) != KindImage) {
            if (ch == QLatin1Char('1'))
                text = SortTexts[0];
            else if (ch == QLatin1Char('2'))
                text = SortTexts[1];
        }
        RichGrid1->SetCells(c, SortRow(), text);
    }
}

QString TformHide::GetSettings() const
{
    QString s;
    for (int c = 0; c < RichGrid1->ColCount(); ++c) {
        const QString t = RichGrid1->Cells(c, SortRow());
        s += t == SortTexts[0] ? QLatin1Char('1') : t == SortTexts[1] ? QLatin1Char('2') : QLatin1Char('3');
    }
    return s;
}

void TformHide::SetRowList(const TDelimitedStringList &List)
{
    const int n = std::clamp(List.Count(), MinCriteriaRows, MaxCriteriaRows);
    RichGrid1->SetRowCount(FirstCriteriaRow() + n);
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < RichGrid1->ColCount(); ++c) {
            QString f;
            if (i < List.Count())
                List.GetField(i, c, f);
            RichGrid1->SetCells(c, FirstCriteriaRow() + i, f);
            PrepareCriteriaCell(c, FirstCriteriaRow() + i);
        }
}

QString TformHide::CriteriaText() const
{
    QStringList records;
    for (int r = FirstCriteriaRow(); r < RichGrid1->RowCount(); ++r)
        records << RichGrid1->Rows(r).join(QLatin1Char('@'));
    return records.join(RecordMark);
}

void TformHide::AddCriteriaRow()
{
    if (CriteriaRowCount() >= MaxCriteriaRows)
        return;
    const int r = RichGrid1->RowCount();
    RichGrid1->SetRowCount(r + 1);
    for (int c = 0; c < RichGrid1->ColCount(); ++c)
        PrepareCriteriaCell(c, r);
}

void TformHide::DeleteCriteriaRow()
{
    if (CriteriaRowCount() <= MinCriteriaRows)
        return;
    CloseEditors();
    RichGrid1->SetRowCount(RichGrid1->RowCount() - 1);
}

void TformHide::CloseEditors()
{
    if (cbSortType->isVisible()) {
        const int c = FSortCol;
        cbSortType->hide();
        if (c >= 0 && c < RichGrid1->ColCount()) {
            const int i = cbSortType->currentIndex();
            RichGrid1->SetCells(c, SortRow(), i == 2 || i < 0 ? QString() : SortTexts[i]);
        }
        FSortCol = -1;
    }
    if (PeriodEdit->isVisible()) {
        PeriodEdit->hide();
        if (FPeriodCell.Y < RichGrid1->RowCount())
            RichGrid1->SetCells(FPeriodCell.X, FPeriodCell.Y, PeriodEdit->Period());
        FPeriodCell = TGridCoord{-1, -1};
    }
    RichGrid1->SetEditorMode(false);
}

void TformHide::CellClicked(int ACol, int ARow)
{
    CloseEditors();
    if (ACol < 0 || ACol >= RichGrid1->ColCount() || Kind(ACol) == KindImage)
        return;
    if (ARow == EyeRow()) {
        SetEye(ACol, !ColumnShown(ACol));
    } else if (ARow == SortRow()) {
        const QString t = RichGrid1->Cells(ACol, SortRow());
        cbSortType->setCurrentIndex(t == SortTexts[0] ? 0 : t == SortTexts[1] ? 1 : 2);
        FSortCol = ACol;
        cbSortType->setGeometry(RichGrid1->CellRect(ACol, ARow));
        cbSortType->show();
        cbSortType->setFocus();
    } else if (ARow >= FirstCriteriaRow() && ARow < RichGrid1->RowCount() &&
               (Kind(ACol) == KindDate || Kind(ACol) == KindDateFormatter)) {
        const QString period = RichGrid1->Cells(ACol, ARow);
        PeriodEdit->SetPeriod(period.isEmpty() ? QStringLiteral("6@1@12") : period);
        FPeriodCell = TGridCoord{ACol, ARow};
        PeriodEdit->setGeometry(RichGrid1->CellRect(ACol, ARow));
        PeriodEdit->show();
        PeriodEdit->setFocus();
    }
}

void TformHide::PrepareCriteriaCell(int ACol, int ARow)
{
    if (Kind(ACol) == KindDateFormatter || Kind(ACol) == KindDate) {
        TCellAttributes *a = RichGrid1->GetCellAttributes(ACol, ARow);
        a->SetFormatter(DateFormatter);
        a->SetCanEdit(false);
    } else if (Kind(ACol) == KindImage) {
        RichGrid1->GetCellAttributes(ACol, ARow)->SetCanEdit(false);
    }
}

void TformHide::Gauge(qint64 Done, qint64 Total) { SetGaugePosition(GaugePercent(Done, Total)); }

bool TformHide::PeriodBounds(const QString &Period, int Year, int &From, int &To)
{
    const QStringList f = Period.split(QLatin1Char('@'));
    if (f.size() < 2 || f[0].size() != 1)
        return false;
    auto month = [&f](int i, int &m) {
        bool ok = false;
        m = f.value(i).toInt(&ok);
        return ok && m >= 1 && m <= 12;
    };
    auto monthsFromTo = [&](int m1, int m2) {
        From = DayKey(QDate(Year, m1, 1));
        To = DayKey(QDate(Year, m2, QDate(Year, m2, 1).daysInMonth()));
        return true;
    };
    int a = 0, b = 0;
    switch (f[0][0].unicode()) {
    case '1': return month(1, a) && monthsFromTo(a, a);
    case '2': return month(1, a) && a <= 4 && monthsFromTo(a * 3 - 2, a * 3);
    case '3': return month(1, a) && a <= 2 && monthsFromTo(a * 6 - 5, a * 6);
    case '4': return month(1, a) && monthsFromTo(1, a);
    case '5': {
        bool ok1 = false, ok2 = false;
        From = ReadDayKey(f.value(1), ok1);
        To = ReadDayKey(f.value(2), ok2);
        return ok1 && ok2;
    }
    case '6': return month(1, a) && month(2, b) && monthsFromTo(a, b);
    default: return false;
    }
}

bool TformHide::CriterionMatches(char Kind, const QString &Criterion, const QString &Field, int Year)
{
    if (Kind == KindDate || Kind == KindDateFormatter) {
        int from = 0, to = 0, day = 0;
        return PeriodBounds(Criterion, Year, from, to) && ReadsAsDate(Field.trimmed(), day) && day >= from &&
               day <= to;
    }
    const int colon = Criterion.indexOf(QLatin1Char(':'));
    if (Kind == KindNumber) {
        long double v, lo, hi;
        if (!ReadsAsNumber(Field, v))
            return false;
        if (colon < 0)
            return ReadsAsNumber(Criterion, lo) && v == lo;
        return ReadsAsNumber(Criterion.left(colon), lo) && ReadsAsNumber(Criterion.mid(colon + 1), hi) && v >= lo &&
               v <= hi;
    }
    if (colon < 0)
        return MatchesWildcard(Criterion, Field);
    return AnsiCompareText(Field, Criterion.left(colon)) >= 0 && AnsiCompareText(Field, Criterion.mid(colon + 1)) <= 0;
}

bool TformHide::Fetch(TDelimitedStringList &Rows)
{
    SetStatusText(QStringLiteral("Изтегля данните..."));
    const int first = FSource->FixedRows();
    const int last = FSource->RowCount() - 1;
    const int cols = FSource->ColCount();
    Rows.BeginUpdate();
    for (int r = first; r <= last; ++r) {
        const bool totals = FSource->HasRowAttributes(r) && FSource->GetRowAttributes(r)->BackColor() == TotalsRowColor;
        if (!totals) {
            QStringList fields;
            for (int c = 0; c < cols; ++c) {
                QString f = FSource->Cells(c, r);
                if (Kind(c) == KindImage) {
                    TCellAttributes a;
                    QString t;
                    FSource->GetDisplayAttributes(c, r, &a, t);
                    f += ImageMark + QString::number(a.ImageIndex());
                }
                fields << CleanFieldValue(f);
            }
            Rows.Add(fields.join(QLatin1Char('@')));
        }
        Gauge(r - first + 1, last - first + 1);
    }
    Rows.EndUpdate();
    return true;
}

void TformHide::FilterRecords(TDelimitedStringList &Rows)
{
    struct Criterion
    {
        int Col;
        QString Text;
    };
    std::vector<std::vector<Criterion>> rows;
    for (int r = FirstCriteriaRow(); r < RichGrid1->RowCount(); ++r) {
        std::vector<Criterion> set;
        for (int c = 0; c < RichGrid1->ColCount(); ++c)
            if (!RichGrid1->Cells(c, r).isEmpty() && Kind(c) != KindImage)
                set.push_back({c, RichGrid1->Cells(c, r)});
        if (!set.empty())
            rows.push_back(std::move(set));
    }
    if (rows.empty())
        return;
    SetStatusText(QStringLiteral("Филтрира..."));
    // The year of month periods: the accounting period's, which only the
    // dormant link would give; the current year stands in.
    const int year = QDate::currentDate().year();
    Rows.BeginUpdate();
    for (int i = Rows.Count() - 1; i >= 0; --i) {
        bool keep = false;
        for (const auto &set : rows) {
            bool all = true;
            for (const Criterion &k : set) {
                QString f;
                Rows.GetField(i, k.Col, f);
                if (!CriterionMatches(Kind(k.Col), k.Text, f, year)) {
                    all = false;
                    break;
                }
            }
            if (all) {
                keep = true;
                break;
            }
        }
        if (!keep)
            Rows.Delete(i);
    }
    Rows.EndUpdate();
}

void TformHide::SortRecords(TDelimitedStringList &Rows)
{
    std::vector<std::pair<int, unsigned char>> keys;
    const QString settings = GetSettings();
    for (int c = 0; c < settings.size(); ++c)
        if (settings[c] != QLatin1Char('3'))
            keys.push_back({c, settings[c] == QLatin1Char('2') ? 1 : 0});
    if (keys.empty() || Rows.Count() < 2)
        return;
    SetStatusText(QStringLiteral("Сортира..."));
    auto sortRange = [&Rows](int col, unsigned char dir, int lo, int hi) {
        TDelimitedStringsSorter sorter(&Rows);
        sorter.SetKeyFields({col});
        sorter.SetDirection(dir);
        sorter.Sort(lo, hi);
        sorter.WaitFor();
    };
    sortRange(keys[0].first, keys[0].second, 0, Rows.Count() - 1);
    // Each run of records equal in the earlier keys by the next key.
    for (size_t k = 1; k < keys.size(); ++k) {
        auto sameEarlier = [&](int a, int b) {
            for (size_t j = 0; j < k; ++j) {
                QString x, y;
                Rows.GetField(a, keys[j].first, x);
                Rows.GetField(b, keys[j].first, y);
                if (x != y)
                    return false;
            }
            return true;
        };
        for (int lo = 0; lo < Rows.Count();) {
            int hi = lo;
            while (hi + 1 < Rows.Count() && sameEarlier(lo, hi + 1))
                ++hi;
            if (hi > lo)
                sortRange(keys[k].first, keys[k].second, lo, hi);
            lo = hi + 1;
        }
    }
}

void TformHide::WriteBack(const TDelimitedStringList &Rows)
{
    SetStatusText(QStringLiteral("Записва данните..."));
    const int first = FSource->FixedRows();
    const int cols = FSource->ColCount();
    FSource->ClearRowsAttributes(first, FSource->RowCount() - 1, 2 | 4);
    FSource->SetRowCount(first + std::max(1, Rows.Count()));
    if (Rows.Count() == 0)
        for (int c = 0; c < cols; ++c)
            FSource->SetCells(c, first, QString());
    for (int i = 0; i < Rows.Count(); ++i) {
        for (int c = 0; c < cols; ++c) {
            QString f;
            Rows.GetField(i, c, f);
            if (Kind(c) == KindImage) {
                const int mark = f.lastIndexOf(ImageMark);
                if (mark >= 0) {
                    FSource->GetCellAttributes(c, first + i)->SetImageIndex(f.mid(mark + 1).toInt());
                    f.truncate(mark);
                }
            }
            FSource->SetCells(c, first + i, f);
        }
        Gauge(i + 1, Rows.Count());
    }
    SetStatusText(QString());
    SetGaugePosition(0);
}

bool TformHide::DoSave()
{
    if (!FSource)
        return false;
    CloseEditors();
    const int cols = FSource->ColCount();
    for (int c = 0; c < cols; ++c) {
        bool show = ColumnShown(c) || Kind(c) == KindImage;
        if (show && cbNullCol->isChecked()) {
            bool empty = true;
            for (int r = FSource->FixedRows(); r < FSource->RowCount() && empty; ++r)
                empty = FSource->Cells(c, r).isEmpty();
            show = !empty;
        }
        FSource->GetColAttributes(c)->SetVisible(show);
    }
    TDelimitedStringList rows;
    Fetch(rows);
    FilterRecords(rows);
    SortRecords(rows);
    WriteBack(rows);
    FApplied = true;
    SetModified(false);
    return true;
}

// ---------------------------------------------------------------------------
// The read form's side

namespace {

// What a form keeps of the dialog between two uses.
class THideState : public QObject
{
public:
    explicit THideState(QObject *parent) : QObject(parent) { setObjectName(QStringLiteral("HideState")); }
    bool FirstUse = true;
    QString Settings;
    QString Criteria;
};

} // namespace

bool RunHideDialog(TQuorendForm *Form, TRichGrid *Grid)
{
    if (!Form || !Grid)
        return false;
    auto *state = Form->findChild<THideState *>(QStringLiteral("HideState"), Qt::FindDirectChildrenOnly);
    if (!state)
        state = new THideState(Form);
    if (state->FirstUse) {
        for (int c = 0; c < Grid->ColCount(); ++c)
            if (Grid->HasColAttributes(c) && !Grid->GetColAttributes(c)->Visible()) {
                Grid->GetColAttributes(c)->SetAutoResize(false);
                Grid->SetColWidths(c, 0);
            }
        state->FirstUse = false;
    }
    std::unique_ptr<TformHide> dialog(CreateQuorendForm<TformHide>(Form, fsNormal));
    dialog->LoadFromGrid(Grid);
    dialog->SetSettings(state->Settings);
    TDelimitedStringList criteria;
    criteria.SetTextStr(state->Criteria);
    dialog->SetRowList(criteria);
    dialog->ShowModal();
    if (!dialog->Applied())
        return false;
    state->Settings = dialog->GetSettings();
    state->Criteria = dialog->CriteriaText();
    if (auto *status = dynamic_cast<TQuorendStatusForm *>(Form))
        status->SetStatusText(Format(QStringLiteral("Общо: %d реда"), {Grid->RowCount() - Grid->FixedRows()}));
    return true;
}

namespace {
// F11 of the list and report windows runs the dialog over their grid (the
// action itself stays off while the accounting link is not connected).
const bool HideDialogInstalled = [] {
    SetReadFormHideDialog([](TQuorendReadForm &Form) { RunHideDialog(&Form, Form.Grid); });
    return true;
}();
} // namespace
