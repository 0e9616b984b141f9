#include "documents/un_Dostavki.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmDostavki>(QStringLiteral("TfrmDostavki"));

} // namespace

TfrmDostavki::TfrmDostavki(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmResourceDocument(ResourceDocumentKind(true), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmDostavki"));
}
