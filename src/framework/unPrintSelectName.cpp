#include "framework/unPrintSelectName.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "core/DialogsEx.h"
#include "framework/unReportSettings.h"

namespace {

// Refuses any text holding a separator: a typed one is dropped, a pasted
// text holding one is not taken.
class TSettingNameValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return IsValidSettingName(input) ? Acceptable : Invalid;
    }
};

} // namespace

TfmPrintSelectName::TfmPrintSelectName(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmPrintSelectName"));
    setWindowTitle(QStringLiteral("Наименование на настройката"));
    lblName = new QLabel(QStringLiteral("Наименование:"), this);
    edName = new QLineEdit(this);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setValidator(new TSettingNameValidator(edName));
    lblName->setBuddy(edName);
    btnOk = new QPushButton(QStringLiteral("Избор"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addWidget(edName);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
}

void TfmPrintSelectName::accept()
{
    // The program may have set the text past the validator.
    if (!IsValidSettingName(edName->text())) {
        ShowError(QStringLiteral("Наименованието на настройката не може да съдържа знаците , @ | ~ \u00B0"));
        edName->setFocus();
        return;
    }
    QDialog::accept();
}

QString AskPrintSettingName()
{
    TfmPrintSelectName dialog(QApplication::activeWindow());
    if (dialog.exec() == QDialog::Accepted)
        return dialog.edName->text();
    return QString();
}
