#include "reports/DocumentPaymentsReport.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QRadioButton>

#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"

namespace {

// The first Count fields of a row joined as one key.
QString KeyOf(const QStringList &Fields, int Count) { return QStringList(Fields.mid(0, Count)).join(QChar('@')); }

QString FormatDot(const QString &S, int N)
{
    QString result;
    FormatDotStr(S, N, result);
    return result;
}

} // namespace

TDocumentPaymentsReport::TDocumentPaymentsReport(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodPartyReport(AOwner, AFormStyle)
{
    SetRunsAtOnce(true);
}

void TDocumentPaymentsReport::AddTypeGroup(const QString &Caption)
{
    rg_Type = new QGroupBox(Caption, pnlParams);
    rg_Type->setObjectName(QStringLiteral("rg_Type"));
    auto *layout = new QHBoxLayout(rg_Type);
    layout->setContentsMargins(4, 0, 4, 0);
    auto *group = new QButtonGroup(rg_Type);
    rbAll = new QRadioButton(QStringLiteral("всички"), rg_Type);
    rbUnpaid = new QRadioButton(QStringLiteral("неплатени"), rg_Type);
    rbPaid = new QRadioButton(QStringLiteral("платени"), rg_Type);
    int id = 0;
    for (QRadioButton *button : {rbAll, rbUnpaid, rbPaid}) {
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    rbAll->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int) { ParamsChanged(); });
    AddParam(rg_Type);
}

int TDocumentPaymentsReport::TypeIndex() const
{
    if (rbUnpaid && rbUnpaid->isChecked())
        return 1;
    if (rbPaid && rbPaid->isChecked())
        return 2;
    return 0;
}

void TDocumentPaymentsReport::SetTypeIndex(int Index)
{
    QRadioButton *button = Index == 1 ? rbUnpaid : Index == 2 ? rbPaid : rbAll;
    if (button && !button->isChecked()) {
        button->setChecked(true);
        ParamsChanged();
    }
}

QString TDocumentPaymentsReport::PaymentKindName(const QString &) { return QString(); }

QString TDocumentPaymentsReport::GetSubTitle()
{
    return Format(QStringLiteral(" за %s %s - %s, от дата %s, до дата %s"),
                  {Layout().PartyNoun, PartyText(), PartyName(), DateToDisplayText(From()), DateToDisplayText(To())});
}

QStringList TDocumentPaymentsReport::DocumentRecord(const QStringList &Row)
{
    const TLayout layout = Layout();
    QStringList record;
    for (int i = 0; i < layout.FieldCount; ++i)
        record << QString();
    for (size_t i = 0; i < layout.RowFields.size(); ++i)
        record[layout.RowFields[i]] = Row.value(int(i));
    return record;
}

QString TDocumentPaymentsReport::DocumentKey(const QStringList &Record)
{
    QStringList key;
    for (const int field : Layout().KeyFields)
        key << Record.value(field);
    return key.join(QChar('@'));
}

bool TDocumentPaymentsReport::DoExecute()
{
    const TLayout layout = Layout();
    const int paidField = layout.Due + 1;
    const int diffField = layout.Due + 2;
    const int keyCount = KeyFieldCount();

    TDelimitedStringList documents;
    Select(DocumentsSql(), documents);
    std::vector<QStringList> records;
    records.reserve(documents.Count());
    for (int i = 0; i < documents.Count(); ++i)
        records.push_back(DocumentRecord(documents.Strings(i).split(QChar('@'))));

    // The paid sums by document; a document without payments has paid 0.00.
    QHash<QString, QString> paid;
    {
        TDelimitedStringList sums;
        Select(PaidSumsSql(), sums);
        for (int i = 0; i < sums.Count(); ++i) {
            const QStringList fields = sums.Strings(i).split(QChar('@'));
            paid.insert(KeyOf(fields, keyCount), fields.value(keyCount));
        }
    }
    for (QStringList &record : records) {
        record[paidField] = FormatDot(paid.value(DocumentKey(record)), 2);
        record[layout.Due] = FormatDot(record[layout.Due], ::AmountPrecision);
        record[paidField] = FormatDot(record[paidField], ::AmountPrecision);
        SubDotStr(record[layout.Due], record[paidField], record[diffField]);
    }

    // Unpaid: a difference either way; paid: none at all.
    const int type = TypeIndex();
    if (type != 0) {
        std::vector<QStringList> kept;
        for (QStringList &record : records) {
            const bool settled = DotStrToFloat(record[diffField], 0) == 0;
            if (settled == (type == 2))
                kept.push_back(std::move(record));
        }
        records.swap(kept);
    }

    // Every payment of the documents, in the order shown.
    QHash<QString, std::vector<QStringList>> payments;
    {
        TDelimitedStringList rows;
        Select(PaymentsSql(), rows);
        for (int i = 0; i < rows.Count(); ++i) {
            const QStringList fields = rows.Strings(i).split(QChar('@'));
            payments[KeyOf(fields, keyCount)].push_back(fields.mid(keyCount));
        }
    }

    TDelimitedStringList result;
    long double due = 0, paidSum = 0, diff = 0;
    auto putPayment = [&](QStringList &Record, const QStringList &Payment) {
        for (int j = 0; j < 3; ++j)
            Record[layout.PayNo + j] = Payment.value(j);
        if (layout.Kind >= 0)
            Record[layout.Kind] = PaymentKindName(Payment.value(3));
    };
    for (QStringList &record : records) {
        due += DotStrToRoundedFloat(record[layout.Due], ::AmountPrecision);
        paidSum += DotStrToRoundedFloat(record[paidField], ::AmountPrecision);
        diff += DotStrToRoundedFloat(record[diffField], ::AmountPrecision);
        const auto found = payments.constFind(DocumentKey(record));
        if (found == payments.constEnd() || found->empty()) {
            result.Add(record.join(QChar('@')));
            continue;
        }
        putPayment(record, found->front());
        result.Add(record.join(QChar('@')));
        for (size_t p = 1; p < found->size(); ++p) {
            QStringList further;
            for (int j = 0; j < layout.FieldCount; ++j)
                further << QString();
            putPayment(further, (*found)[p]);
            result.Add(further.join(QChar('@')));
        }
    }
    result.Add(ReportTotalsRecord(layout.FieldCount, {{layout.Due, due},
                                                      {paidField, paidSum},
                                                      {diffField, diff},
                                                      {layout.PayNo + 2, paidSum}}));
    ShowRows(result);
    return true;
}
