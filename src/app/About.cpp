#include "app/About.h"

#include "app/unMain.h"
#include "core/DialogsEx.h"
#include "core/unMessageTexts.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "core/unSettings.h"
#include "platform/ui/JpegImage.h"

#include <QFile>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TAboutBox *AboutBox = nullptr;

namespace {

const char *const PictureResource = ":/pictures/about.jpg";

QLabel *MakeLabel(QWidget *Parent, const char *Name, const QString &Text, const QRect &Bounds)
{
    auto *label = new QLabel(Text, Parent);
    label->setObjectName(QString::fromLatin1(Name));
    label->setGeometry(Bounds);
    return label;
}

QPushButton *MakeButton(QWidget *Parent, const char *Name, const QString &Text, const QRect &Bounds)
{
    auto *button = new QPushButton(Text, Parent);
    button->setObjectName(QString::fromLatin1(Name));
    button->setGeometry(Bounds);
    return button;
}

} // namespace

// Outside any namespace, as Qt's resource registration wants.
static void InitPictures() { Q_INIT_RESOURCE(tolvex); }

TAboutBox::TAboutBox(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("За програмата"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(298, 210);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 282, 161);

    ProgramIcon = MakeLabel(Panel1, "ProgramIcon", QString(), QRect(8, 8, 65, 57));
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProductName = MakeLabel(Panel1, "ProductName", TMainForm::ProductTitle(), QRect(88, 16, 180, 16));
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = MakeLabel(Panel1, "Version", QStringLiteral("Версия: 02.07.2008"), QRect(88, 40, 180, 16));
    Copyright = MakeLabel(Panel1, "Copyright", QStringLiteral("Copyright © Quorend"), QRect(8, 80, 266, 16));
    Comments = MakeLabel(Panel1, "Comments",
                         QStringLiteral("Производство и разпространение на хлебни изделия"),
                         QRect(8, 98, 266, 32));
    Comments->setWordWrap(true);
    labIPAddress = MakeLabel(Panel1, "labIPAddress", QString(), QRect(8, 136, 266, 16));

    OKButton = MakeButton(this, "OKButton", QStringLiteral("OK"), QRect(111, 178, 75, 25));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    btnFix = MakeButton(this, "btnFix", QStringLiteral("FIX"), QRect(215, 178, 75, 25));
    btnFix->setVisible(false);
    connect(btnFix, &QPushButton::clicked, this, [this] {
        btnFixClick();
        done(QDialog::Accepted);
    });

    LoadPicture(ResourcePicture());
}

QByteArray TAboutBox::ResourcePicture()
{
    InitPictures();
    QFile file(QString::fromLatin1(PictureResource));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool TAboutBox::LoadPicture(const QByteArray &Data)
{
    QImage image;
    if (!platform::DecodeJpeg(Data, image)) {
        ProgramIcon->clear();
        return false;
    }
    // The picture's own size, from the same top-left corner.
    ProgramIcon->setPixmap(QPixmap::fromImage(image));
    ProgramIcon->resize(image.size());
    return true;
}

bool TAboutBox::btnFixClick()
{
    // The start-up's own upgrade: in one transaction, all or nothing.
    try {
        AddUpgradeColumns(DbConnection ? DbConnection->Path() : QString());
        return true;
    } catch (const std::exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + DatabaseErrorMessage(e));
        return false;
    }
}

void TAboutBox::showEvent(QShowEvent *Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TAboutBox::FormShow()
{
    labIPAddress->setText(QStringLiteral("IPAddress: %1").arg(GetLocalIPAddress()));
    if (!parentWidget()) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect bounds = frameGeometry();
            bounds.moveCenter(screen->availableGeometry().center());
            move(bounds.topLeft());
        }
    }
}
