#pragma once
// The editor of the operators (table Users_passwords): user name, password
// and full name, keyed by the user name, queued and saved as the
// code-and-name editor. The password is kept and shown as plain text.
#include "masterdata/unSimple_Nomenklatura.h"

class QLabel;
class TLimitedEdit;

class TfrmUsers_passwords : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmUsers_passwords(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    bool InitForm() override;

    QLabel *lblUser = nullptr;
    TLimitedEdit *edUser = nullptr;
    QLabel *lblPassword = nullptr;
    TLimitedEdit *edPassword = nullptr;
    QLabel *lblNames = nullptr;
    TLimitedEdit *edNames = nullptr;

protected:
    QString SelectSql() override;
    // There is no numeric code to propose.
    bool ProposeCode() override;
    QString ValidateEditors() override;
    QString EditorKey() override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QList<TColumnValue> EditorColumns() override;
    // "user name - full name": a message never shows the password.
    QString RowCaption(const QStringList &Row) override;
    QString DeleteSql(const QString &OriginalKey) override;
    QString DeleteQuestion(const QStringList &Row) override;
    bool IsEditableRow(const QStringList &Row) override;
    void AfterCommit(bool WasEdit) override;
};
