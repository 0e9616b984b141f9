// The row filter of the read form: the filter dialog, its conditions, and
// the filtering of fetched records with the filter totals row.
#include "framework/QuorendReadForm.h"

#include <QStringList>
#include <utility>
#include <vector>

#include "components/FilterMan.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/uDelimitedStrings.h"
#include "framework/DocumentSave.h"
#include "framework/FilterTypes.h"
#include "framework/SimpleFilter.h"

bool TQuorendReadForm::DoFilter()
{
    if (FReloadDrop && !ConfirmReload(*this, FReloadDrop))
        return Filtered();
    if (!FFilterDialog)
        CreateFilterDialog();
    if (FFilterDialog->ShowModal() == mrOk)
        Execute();
    return FFilterConditions && FFilterConditions->Count() > 0;
}

TfrmSimpleFilter *TQuorendReadForm::CreateFilterDialog()
{
    if (!FFieldTree) {
        FFieldTree = std::make_unique<TFieldProps>();
        FFieldTree->SetCaption(pnlCaption->text());
        BuildFieldProps(FFieldTree.get(), 0, Grid->ColCount() - 1, 0);
    }
    FFilterConditions = std::make_unique<TLineConv>();
    FFilterConditions->SetFreeObjects(true);
    FFilterDialog.reset(TfrmSimpleFilter::CreateFilter(this, FFieldTree.get()));
    FFilterDialog->SetConditions(FFilterConditions.get());
    return FFilterDialog.get();
}

bool TQuorendReadForm::FilterRows(TDelimitedStrings &RowList, const QString &SumColumns)
{
    if (!FFilterConditions || FFilterConditions->Count() == 0)
        return true;
    // Each condition tests the field of its own column.
    std::vector<std::pair<int, const TFilterMan *>> conditions;
    for (int i = 0; i < FFilterConditions->Count(); ++i)
        if (const auto *condition = dynamic_cast<const TFilterMan *>(FFilterConditions->Objects(i)))
            conditions.emplace_back(FFilterConditions->Strings(i).toInt(), condition);

    const QChar delimiter = RowList.FieldDelimiter();
    const int count = RowList.Count();
    std::vector<int> kept;
    kept.reserve(static_cast<std::size_t>(count));
    std::vector<QStringList> keptFields;
    keptFields.reserve(static_cast<std::size_t>(count));
    int fieldCount = 0;
    bool ragged = false;
    for (int r = 0; r < count; ++r) {
        QStringList fields = RowList.Strings(r).split(delimiter);
        // A totals row ("¤Общо:", an earlier "Сума за филтъра") sums the
        // rows as fetched: among the filtered rows it would stand for rows
        // that are not shown, and summed it would count them again.
        if (IsTotalsRecordText(fields.value(0)))
            continue;
        bool passes = true;
        for (const auto &[col, condition] : conditions) {
            if (col >= 0 && col < fields.size() && !condition->Matches(fields.at(col))) {
                passes = false;
                break;
            }
        }
        if (!passes)
            continue;
        if (!kept.empty() && fields.size() != fieldCount)
            ragged = true;
        fieldCount = std::max(fieldCount, static_cast<int>(fields.size()));
        kept.push_back(r);
        keptFields.push_back(std::move(fields));
    }

    // The records left, each as long as the longest.
    RowList.BeginUpdate();
    try {
        if (static_cast<int>(kept.size()) != count || ragged) {
            std::vector<std::pair<QString, TObject *>> records;
            records.reserve(kept.size());
            for (std::size_t k = 0; k < kept.size(); ++k) {
                QString text = RowList.Strings(kept[k]);
                if (keptFields[k].size() < fieldCount)
                    text += QString(fieldCount - static_cast<int>(keptFields[k].size()), delimiter);
                records.emplace_back(std::move(text), RowList.Objects(kept[k]));
            }
            RowList.Clear();
            for (auto &record : records)
                RowList.AddObject(record.first, record.second);
        }

        if (!kept.empty()) {
            QStringList sumItems = SumColumns.split(QLatin1Char(','));
            for (QString &item : sumItems)
                item = item.trimmed();
            QStringList totals(fieldCount);
            totals[0] = FilterTotalsMarker;
            for (int c = 1; c < fieldCount; ++c) {
                if (!SumColumns.isEmpty() && !sumItems.contains(QString::number(c)))
                    continue;
                TFilterColumnTotal total;
                for (const QStringList &fields : keptFields)
                    total.Add(fields.value(c));
                totals[c] = total.Text();
            }
            RowList.Add(totals.join(delimiter));
        }
    } catch (...) {
        RowList.EndUpdate();
        throw;
    }
    RowList.EndUpdate();
    return true;
}
