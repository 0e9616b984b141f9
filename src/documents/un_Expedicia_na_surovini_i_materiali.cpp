#include "documents/un_Expedicia_na_surovini_i_materiali.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmExpedicia_na_surovini_i_materiali>(
    QStringLiteral("TfrmExpedicia_na_surovini_i_materiali"));

} // namespace

TfrmExpedicia_na_surovini_i_materiali::TfrmExpedicia_na_surovini_i_materiali(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmResourceDocument(ResourceDocumentKind(false), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmExpedicia_na_surovini_i_materiali"));
}
