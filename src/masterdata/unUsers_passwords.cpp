#include "masterdata/unUsers_passwords.h"

#include <QLabel>
#include <QLayout>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterNomenklaturaClass<TfrmUsers_passwords>(QStringLiteral("TfrmUsers_passwords"));

} // namespace

TfrmUsers_passwords::TfrmUsers_passwords(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmUsers_passwords"));
    // The code and name editors of the base have no use here.
    for (QWidget *w : {static_cast<QWidget *>(lblShifyr), static_cast<QWidget *>(feShifyr),
                       static_cast<QWidget *>(lblNaimenovanie), static_cast<QWidget *>(edNaimenovanie)})
        w->hide();
    auto add = [this](const QString &Caption, const QString &Name, int Width, QLabel *&Label, TLimitedEdit *&Edit) {
        Label = new QLabel(Caption, pnlParams);
        Edit = new TLimitedEdit(pnlParams);
        Edit->setObjectName(Name);
        Edit->setMaxLength(50);
        Edit->setMinimumWidth(Width);
        Label->setBuddy(Edit);
        pnlParams->layout()->addWidget(Label);
        pnlParams->layout()->addWidget(Edit);
    };
    add(QStringLiteral("Потребител:"), QStringLiteral("edUser"), 110, lblUser, edUser);
    add(QStringLiteral("Парола:"), QStringLiteral("edPassword"), 90, lblPassword, edPassword);
    add(QStringLiteral("Имена:"), QStringLiteral("edNames"), 200, lblNames, edNames);

    Grid->SetColCount(3);
    Grid->SetRows(0, {QStringLiteral("Потребител"), QStringLiteral("Парола"), QStringLiteral("Имена")});
}

bool TfrmUsers_passwords::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    for (TLimitedEdit *edit : {edUser, edPassword, edNames})
        edit->SetValidChars(NameValidChars);
    return result;
}

QString TfrmUsers_passwords::SelectSql()
{
    return QStringLiteral("SELECT Users_passwords.user_name,        Users_passwords.user_password,        "
                          "Users_passwords.three_names FROM Users_passwords ORDER BY Users_passwords.user_name");
}

bool TfrmUsers_passwords::ProposeCode() { return false; }

QString TfrmUsers_passwords::ValidateEditors()
{
    const QString user = edUser->text();
    const QString password = edPassword->text();
    const QString end = QStringLiteral("\n\r");
    QString messages;
    if (!user.isEmpty() && !password.isEmpty()) {
        for (const QStringList &row : AllRows()) {
            // The database keeps user names unique whatever their case.
            if (row.value(0).compare(user, Qt::CaseInsensitive) == 0)
                messages += Format(QStringLiteral("Потребител %s съществува в базата данни"), {user}) + end;
            if (row.value(1) == password)
                messages += Format(QStringLiteral("Парола %s съществува в базата данни"), {password}) + end;
        }
    }
    if (user.isEmpty())
        messages += QStringLiteral("Въведете потребител") + end;
    if (password.isEmpty())
        messages += QStringLiteral("Въведете парола") + end;
    if (edNames->text().isEmpty())
        messages += QStringLiteral("Въведете имена на оператор") + end;
    return messages;
}

QString TfrmUsers_passwords::EditorKey() { return edUser->text(); }

QStringList TfrmUsers_passwords::EditorRow() { return {edUser->text(), edPassword->text(), edNames->text()}; }

void TfrmUsers_passwords::LoadEditors(const QStringList &Row)
{
    edUser->SetText(Row.value(0));
    edPassword->SetText(Row.value(1));
    edNames->SetText(Row.value(2));
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmUsers_passwords::EditorColumns()
{
    return {{QStringLiteral("user_name"), TextLiteral(edUser->text())},
            {QStringLiteral("user_password"), TextLiteral(edPassword->text())},
            {QStringLiteral("three_names"), TextLiteral(edNames->text())}};
}

QString TfrmUsers_passwords::RowCaption(const QStringList &Row)
{
    return QLatin1Char('"') + Row.value(0) + QStringLiteral(" - ") + Row.value(2) + QLatin1Char('"');
}

QString TfrmUsers_passwords::DeleteSql(const QString &OriginalKey)
{
    return Format(QStringLiteral("Delete * from %s Where %s = \"%s\""), {TableName(), KeyField(), SqlEscape(OriginalKey)});
}

QString TfrmUsers_passwords::DeleteQuestion(const QStringList &Row)
{
    return Format(LoadResString(rsConfirmDelete), {ItemNoun(), Row.value(0), Row.value(1)});
}

bool TfrmUsers_passwords::IsEditableRow(const QStringList &Row) { return !Row.value(0).isEmpty(); }

void TfrmUsers_passwords::AfterCommit(bool) {}
