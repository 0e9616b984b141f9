#include "framework/unTextDocument.h"

#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "framework/unPrint_by_Laser.h"
#include "platform/print/CodePages.h"
#include "platform/print/RawPrinter.h"

#include <memory>

namespace {

std::function<QDateTime()> &MomentSource()
{
    static std::function<QDateTime()> source;
    return source;
}

QString Converted(const QString &S, bool ToMik)
{
    if (!ToMik)
        return S;
    QString r;
    Win1251ToMik(S, r);
    return r;
}

} // namespace

void FitText(const QString &Fmt, int Align, std::initializer_list<TFormatArg> Args, int Width, bool ToMik,
             QString &Result)
{
    Result = Args.size() == 0 ? Fmt : Format(Fmt, Args);
    if (Width <= 0)
        return;
    const int length = int(Result.size());
    if (Align == ftaLeft) {
        if (length > Width)
            Result.truncate(Width);
        else
            Result += QString(Width - length, QLatin1Char(' '));
    } else if (Align == ftaRight) {
        if (length < Width)
            Result.prepend(QString(Width - length, QLatin1Char(' ')));
    }
    Result = Converted(Result, ToMik);
}

void CenterTextFill(const QString &S, int Width, QChar FillChar, QString &Result, bool ToMik)
{
    const int before = Width / 2 - int(S.size()) / 2;
    Result = before > 0 ? QString(before, FillChar) : QString();
    Result += S;
    if (Result.size() < Width)
        Result += QString(Width - int(Result.size()), FillChar);
    Result = Converted(Result, ToMik);
}

void CenterText(const QString &S, int Width, bool ToMik, QString &Result)
{
    CenterTextFill(S, Width, QLatin1Char(' '), Result, ToMik);
}

QString DocumentRule(int Width, QChar C) { return QString(qMax(0, Width), C); }

QDateTime DocumentPrintMoment()
{
    const auto &source = MomentSource();
    return source ? source() : QDateTime::currentDateTime();
}

void SetDocumentPrintMomentForTests(std::function<QDateTime()> Moment) { MomentSource() = std::move(Moment); }

QString DocumentFooterLine(int Width)
{
    const QString footer = LoadResString(rsPrintFooter);
    const QString moment = DocumentPrintMoment().toString(QStringLiteral("dd.MM.yyyy/hh:mm:ss"));
    QString right;
    FitText(moment, ftaRight, {}, Width - int(footer.size()), false, right);
    return footer + right;
}

void AppendDocumentEnd(QStringList &Lines, int FooterWidth, int BlankLines)
{
    Lines << DocumentFooterLine(FooterWidth);
    for (int i = 0; i < BlankLines; ++i)
        Lines << QStringLiteral(" ");
}

TTextDocumentRoad TextDocumentRoad(const TDelimitedStrings &NasSettings)
{
    TTextDocumentRoad road;
    road.PageRoad = NasSwitchOn(NasSettings, NasPrintKind);
    road.OneAndAHalf = NasSwitchOn(NasSettings, NasLineSpacing);
    return road;
}

TTextDocumentRoad LoadTextDocumentRoad(QObject *Owner)
{
    TDelimitedStringList nas;
    LoadNasSettings(Owner, GetLocalIPAddress(), nas);
    return TextDocumentRoad(nas);
}

bool PrintTextDocumentRaw(const QStringList &Lines)
{
    try {
        platform::RawPrinter prn;
        prn.Open();
        QString line;
        for (const QString &l : Lines) {
            Win1251ToMik(l, line);
            prn.WriteLine(platform::EncodeCodePage(line, platform::CodePage::Mik));
        }
        prn.Close();
        return true;
    } catch (const Exception &e) {
        ShowError(e.Message());
    }
    return false;
}

bool PrintTextDocumentByLaser(QWidget *Owner, const QStringList &Lines, bool OneAndAHalf)
{
    std::unique_ptr<TfrmPrint_by_Laser> form(new TfrmPrint_by_Laser(Owner));
    TTextPagePrinter *page = form->page;
    if (OneAndAHalf)
        page->SetLineSpacing(lsSingleAndAHalf);
    page->BeginDoc();
    if (!Lines.isEmpty()) {
        page->WriteLine(QStringLiteral(" "));
        page->NewLine();
    }
    for (const QString &l : Lines) {
        page->WriteLine(QStringLiteral("   ") + l);
        page->NewLine();
    }
    page->EndDoc();
    form->ShowPreview();
    return true;
}

bool PrintTextDocument(QWidget *Owner, const QStringList &Lines, const TTextDocumentRoad &Road)
{
    return Road.PageRoad ? PrintTextDocumentByLaser(Owner, Lines, Road.OneAndAHalf) : PrintTextDocumentRaw(Lines);
}
