#include "reports/ReceivablesReport.h"

#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/LookupLists.h"
#include "core/un_Ado_Connection.h"

namespace {
constexpr int kColumns = 6;
}

TReceivablesReport::TReceivablesReport(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodReportForm(AOwner, AFormStyle) {}

bool TReceivablesReport::InitForm()
{
    SetHeader(kColumns,
              {{RowCaption(), QString(), QStringLiteral("Начално"), QStringLiteral("Вземания"),
                QStringLiteral("Плащания"), QStringLiteral("Крайно")},
               {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("състояние "), QString(),
                QString(), QStringLiteral("състояние")}},
              QStringLiteral("0,0,1,0|3,0,3,1|4,0,4,1|"));
    for (int c = 2; c <= 5; ++c)
        Grid->GetColAttributes(c)->SetFormatter(ValueFormatter);
    const bool ok = TPeriodReportForm::InitForm();
    SetHeaderSort(true);
    return ok;
}

bool TReceivablesReport::DoExecute()
{
    if (!TPeriodReportForm::DoExecute())
        return false;
    const QString T = WorkTableName(QStringLiteral("_apk"));
    const int F = DateToDayNumber(From());
    const int L = DateToDayNumber(To());
    const QString passes[3] = {OpeningSql(T, F, L), ReceivablesSql(T, F, L), PaymentsSql(T, F, L)};
    TDelimitedStringList R;
    for (int pass = 0; pass < 3; ++pass) {
        if (!DropWorkTable(T) || !Exec(passes[pass]))
            return false;
        TDelimitedStringList G;
        if (!Select(GroupSql(T), G))
            return false;
        const int field = 2 + pass;
        for (int i = 0; i < G.Count(); ++i) {
            QString code, name, amount;
            G.GetField(i, 0, code);
            G.GetField(i, 1, name);
            G.GetField(i, 2, amount);
            FormatDotStr(amount, 2, amount);
            const int at = pass == 0 ? -1 : IndexOfFieldValue(code, &R, 0);
            if (at >= 0) {
                R.SetField(at, field, amount);
            } else {
                QString record = code + QLatin1Char('@') + name;
                SetPieceCount(record, QLatin1Char('@'), kColumns);
                SetPiece(record, QLatin1Char('@'), field, amount);
                R.Add(record);
            }
        }
    }
    std::vector<long double> sums(4, 0);
    for (int i = 0; i < R.Count(); ++i) {
        QString opening, receivables, payments, closing;
        R.GetField(i, 2, opening);
        R.GetField(i, 3, receivables);
        R.GetField(i, 4, payments);
        FloatToFixedDotStr(2, closing,
                           DotStrToFloat(opening) + DotStrToFloat(receivables) - DotStrToFloat(payments));
        R.SetField(i, 5, closing);
        const QString fields[4] = {opening, receivables, payments, closing};
        for (int k = 0; k < 4; ++k)
            sums[k] += DotStrToFloat(fields[k]);
    }
    SortDelimitedList(&R, 1);
    R.Add(TotalsRecord(kColumns, {2, 3, 4, 5}, sums, {2, 2, 2, 2}));
    ShowRows(R);
    return DropWorkTable(T);
}
