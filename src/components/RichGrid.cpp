#include "components/RichGrid.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <string>

namespace {
const QString AttachedWriteMessage = QStringLiteral("Can not change this property in attached attributes");
const QString DupIndexMessage = QStringLiteral("Duplicate ColRowIndex !");
} // namespace

// ===========================================================================
// TCellAttributes

TCellAttributes::TCellAttributes() = default;

TCellAttributes::~TCellAttributes()
{
    if (formatter_)
        formatter_->Unregister(this);
}

void TCellAttributes::Changed()
{
    if (silence_ > 0)
        return;
    if (binding_ != Binding::Free && grid_)
        grid_->AttributesChanged(*this);
    if (OnChange)
        OnChange(*this, col_, row_);
}

template <typename T>
void TCellAttributes::Store(T &field, T value, TDefAttr flag)
{
    bool changed = false;
    if (!(field == value)) {
        field = value;
        changed = true;
    }
    if (defaultAttributes_.Contains(flag)) {
        defaultAttributes_.Exclude(flag);
        changed = true;
    }
    if (changed)
        Changed();
}

void TCellAttributes::SetBitmapAlignment(TCellAlign value) { Store(bitmapAlignment_, value, daBitmapAlignment); }
void TCellAttributes::SetBitmapDrawMode(TBitmapDrawMode value) { Store(bitmapDrawMode_, value, daBitmapDrawMode); }
void TCellAttributes::SetForeColor(TColor value) { Store(foreColor_, value, daForeColor); }
void TCellAttributes::SetBackColor(TColor value) { Store(backColor_, value, daBackColor); }
void TCellAttributes::SetBorderColor(TColor value) { Store(borderColor_, value, daBorderColor); }
void TCellAttributes::SetFontStyle(TFontStyles value) { Store(fontStyle_, value, daFontStyle); }
void TCellAttributes::SetAlignment(TCellAlignment value) { Store(alignment_, value, daAlignment); }
void TCellAttributes::SetLeftMargin(int value) { Store(leftMargin_, static_cast<short>(value), daLeftMargin); }
void TCellAttributes::SetTopMargin(int value) { Store(topMargin_, static_cast<short>(value), daTopMargin); }
void TCellAttributes::SetRightMargin(int value) { Store(rightMargin_, static_cast<short>(value), daRightMargin); }
void TCellAttributes::SetBottomMargin(int value) { Store(bottomMargin_, static_cast<short>(value), daBottomMargin); }
void TCellAttributes::SetCell3DEffect(TBevelCut value) { Store(cell3DEffect_, value, daCell3DEffect); }
void TCellAttributes::SetHideSelection(bool value) { Store(hideSelection_, value, daHideSelection); }
void TCellAttributes::SetCanEdit(bool value) { Store(canEdit_, value, daCanEdit); }
void TCellAttributes::SetWordWrap(bool value) { Store(wordWrap_, value, daWordWrap); }
void TCellAttributes::SetImageIndex(int value) { Store(imageIndex_, value, daBitmap); }

void TCellAttributes::SetCanSelect(bool value)
{
    Store(canSelect_, value, daCanSelect);
    if (!value && silence_ == 0 && grid_ &&
        (binding_ == Binding::Cell || binding_ == Binding::Column || binding_ == Binding::Row))
        grid_->MoveCurrentAway(*this);
}

void TCellAttributes::SetMergedCells(TMergedCells value)
{
    if (mergedCells_ == value)
        return;
    mergedCells_ = value;
    Changed();
}

void TCellAttributes::SetDefaultAttributes(TDefaultAttributes value)
{
    if (defaultAttributes_ == value)
        return;
    defaultAttributes_ = value;
    Changed();
}

void TCellAttributes::SetFormatter(TCellFormatter *value)
{
    bool changed = false;
    if (formatter_ != value) {
        if (formatter_)
            formatter_->Unregister(this);
        formatter_ = value;
        if (formatter_)
            formatter_->Register(this);
        changed = true;
    }
    if (value && defaultAttributes_.Contains(daFormatter)) {
        defaultAttributes_.Exclude(daFormatter);
        changed = true;
    }
    if (changed)
        Changed();
}

void TCellAttributes::SetCol(int value)
{
    if (Attached())
        throw EWriteInAttachedAttr(AttachedWriteMessage);
    col_ = value;
}

void TCellAttributes::SetRow(int value)
{
    if (Attached())
        throw EWriteInAttachedAttr(AttachedWriteMessage);
    row_ = value;
}

void TCellAttributes::SetGrid(TRichGrid *value)
{
    if (Attached())
        throw EWriteInAttachedAttr(AttachedWriteMessage);
    // A grid's own look stays with its grid.
    if (binding_ == Binding::Free)
        grid_ = value;
}

void TCellAttributes::CopyValues(const TCellAttributes &s)
{
    bitmapAlignment_ = s.bitmapAlignment_;
    bitmapDrawMode_ = s.bitmapDrawMode_;
    foreColor_ = s.foreColor_;
    backColor_ = s.backColor_;
    borderColor_ = s.borderColor_;
    fontStyle_ = s.fontStyle_;
    alignment_ = s.alignment_;
    mergedCells_ = s.mergedCells_;
    leftMargin_ = s.leftMargin_;
    topMargin_ = s.topMargin_;
    rightMargin_ = s.rightMargin_;
    bottomMargin_ = s.bottomMargin_;
    cell3DEffect_ = s.cell3DEffect_;
    hideSelection_ = s.hideSelection_;
    canEdit_ = s.canEdit_;
    canSelect_ = s.canSelect_;
    wordWrap_ = s.wordWrap_;
    defaultAttributes_ = s.defaultAttributes_;
    imageIndex_ = s.imageIndex_;
    if (formatter_ != s.formatter_) {
        if (formatter_)
            formatter_->Unregister(this);
        formatter_ = s.formatter_;
        if (formatter_)
            formatter_->Register(this);
    }
}

void TCellAttributes::Assign(const TCellAttributes &Source)
{
    if (binding_ == Binding::Free) {
        col_ = Source.col_;
        row_ = Source.row_;
        grid_ = Source.grid_;
    }
    AssignAttributes(Source);
}

void TCellAttributes::AssignAttributes(const TCellAttributes &Source)
{
    if (&Source == this)
        return;
    CopyValues(Source);
    Changed();
}

void TCellAttributes::SetDefaults()
{
    bitmapAlignment_ = caLeft;
    bitmapDrawMode_ = bmDontDraw;
    foreColor_ = clWindowText;
    backColor_ = clWindow;
    borderColor_ = clBtnFace;
    fontStyle_ = TFontStyles{};
    alignment_ = TCellAlignment{};
    mergedCells_ = TMergedCells{};
    leftMargin_ = 2;
    topMargin_ = 0;
    rightMargin_ = 2;
    bottomMargin_ = 0;
    cell3DEffect_ = bvNone;
    hideSelection_ = false;
    canEdit_ = true;
    canSelect_ = true;
    wordWrap_ = false;
    imageIndex_ = -1;
    if (formatter_) {
        formatter_->Unregister(this);
        formatter_ = nullptr;
    }
    defaultAttributes_ = AllDefaultAttributes;
    Changed();
}

void TCellAttributes::ApplyTo(TCellAttributes &Dest) const
{
    const TDefaultAttributes own = defaultAttributes_;
    if (!own.Contains(daAlignment))
        Dest.SetAlignment(alignment_);
    if (!own.Contains(daBitmap))
        Dest.SetImageIndex(imageIndex_);
    if (!own.Contains(daBitmapAlignment))
        Dest.SetBitmapAlignment(bitmapAlignment_);
    if (!own.Contains(daBitmapDrawMode))
        Dest.SetBitmapDrawMode(bitmapDrawMode_);
    if (!own.Contains(daFontStyle))
        Dest.SetFontStyle(fontStyle_);
    if (!own.Contains(daForeColor))
        Dest.SetForeColor(foreColor_);
    if (!own.Contains(daBackColor))
        Dest.SetBackColor(backColor_);
    if (!own.Contains(daBorderColor))
        Dest.SetBorderColor(borderColor_);
    if (!own.Contains(daLeftMargin))
        Dest.SetLeftMargin(leftMargin_);
    if (!own.Contains(daTopMargin))
        Dest.SetTopMargin(topMargin_);
    if (!own.Contains(daRightMargin))
        Dest.SetRightMargin(rightMargin_);
    if (!own.Contains(daBottomMargin))
        Dest.SetBottomMargin(bottomMargin_);
    if (!own.Contains(daCell3DEffect))
        Dest.SetCell3DEffect(cell3DEffect_);
    if (!own.Contains(daHideSelection))
        Dest.SetHideSelection(hideSelection_);
    if (!own.Contains(daCanEdit))
        Dest.SetCanEdit(canEdit_);
    if (!own.Contains(daCanSelect))
        Dest.SetCanSelect(canSelect_);
    if (!own.Contains(daWordWrap))
        Dest.SetWordWrap(wordWrap_);
    if (!own.Contains(daFormatter)) {
        Dest.SetFormatter(formatter_);
        if (Dest.defaultAttributes_.Contains(daFormatter)) {
            Dest.defaultAttributes_.Exclude(daFormatter);
            Dest.Changed();
        }
    }
}

bool TCellAttributes::SameAs(const TCellAttributes &o, TDefaultAttributes Flags) const
{
    auto differs = [&](TDefAttr flag, bool different) { return Flags.Contains(flag) && different; };
    return !(differs(daAlignment, alignment_ != o.alignment_) || differs(daBitmap, imageIndex_ != o.imageIndex_) ||
             differs(daBitmapAlignment, bitmapAlignment_ != o.bitmapAlignment_) ||
             differs(daBitmapDrawMode, bitmapDrawMode_ != o.bitmapDrawMode_) ||
             differs(daFontStyle, fontStyle_ != o.fontStyle_) || differs(daForeColor, foreColor_ != o.foreColor_) ||
             differs(daBackColor, backColor_ != o.backColor_) ||
             differs(daBorderColor, borderColor_ != o.borderColor_) ||
             differs(daLeftMargin, leftMargin_ != o.leftMargin_) || differs(daTopMargin, topMargin_ != o.topMargin_) ||
             differs(daRightMargin, rightMargin_ != o.rightMargin_) ||
             differs(daBottomMargin, bottomMargin_ != o.bottomMargin_) ||
             differs(daCell3DEffect, cell3DEffect_ != o.cell3DEffect_) ||
             differs(daHideSelection, hideSelection_ != o.hideSelection_) ||
             differs(daCanEdit, canEdit_ != o.canEdit_) || differs(daCanSelect, canSelect_ != o.canSelect_) ||
             differs(daWordWrap, wordWrap_ != o.wordWrap_) || differs(daFormatter, formatter_ != o.formatter_));
}

// ===========================================================================
// TColRowAttributes

TColRowAttributes::TColRowAttributes() = default;

bool TColRowAttributes::Bound() const
{
    if (!grid_ || (kind_ != 1 && kind_ != 2))
        return false;
    const int index = Index();
    return index >= 0 && index < (kind_ == 1 ? grid_->ColCount() : grid_->RowCount());
}

void TColRowAttributes::SetAutoResize(bool value)
{
    if (autoResize_ == value)
        return;
    autoResize_ = value;
    Changed();
}

void TColRowAttributes::SetResizeToFillClient(bool value)
{
    if (resizeToFillClient_ == value)
        return;
    resizeToFillClient_ = value;
    Changed();
}

void TColRowAttributes::SetMinSize(int value)
{
    value = std::clamp(value, 0, 65535);
    value = std::min(value, maxSize_);
    if (minSize_ == value)
        return;
    minSize_ = value;
    Changed();
}

void TColRowAttributes::SetMaxSize(int value)
{
    value = std::clamp(value, 0, 65535);
    value = std::max(value, minSize_);
    if (maxSize_ == value)
        return;
    maxSize_ = value;
    Changed();
}

int TColRowAttributes::Size() const
{
    if (Bound() && Visible())
        return kind_ == 1 ? grid_->ColWidths(Index()) : grid_->RowHeights(Index());
    return keptSize_;
}

void TColRowAttributes::SetSize(int value)
{
    if (Bound() && Visible()) {
        if (kind_ == 1)
            grid_->SetColWidths(Index(), value);
        else
            grid_->SetRowHeights(Index(), value);
        return;
    }
    keptSize_ = value;
}

bool TColRowAttributes::Visible() const
{
    if (Bound())
        return (kind_ == 1 ? grid_->ColWidths(Index()) : grid_->RowHeights(Index())) >= 1;
    return visible_;
}

void TColRowAttributes::SetVisible(bool value)
{
    if (!Bound()) {
        if (visible_ != value) {
            visible_ = value;
            Changed();
        }
        return;
    }
    if (value == Visible())
        return;
    const int index = Index();
    if (!value) {
        keptSize_ = Size();
        const bool holdsCurrent = kind_ == 1 ? grid_->Col() == index : grid_->Row() == index;
        if (kind_ == 1)
            grid_->SetColWidths(index, 0);
        else
            grid_->SetRowHeights(index, 0);
        if (holdsCurrent)
            grid_->ReselectCurrent(kind_ == 1);
    } else {
        const int size = keptSize_ >= 1 ? keptSize_ : (kind_ == 1 ? grid_->DefaultColWidth() : grid_->DefaultRowHeight());
        if (kind_ == 1)
            grid_->SetColWidths(index, size);
        else
            grid_->SetRowHeights(index, size);
    }
    Changed();
}

int TColRowAttributes::RequiredSize() const
{
    int required;
    if (autoResize_) {
        int measured = 0;
        if (Bound())
            measured = kind_ == 1 ? grid_->MeasuredColSize(Index()) : grid_->MeasuredRowSize(Index());
        required = measured > 0 ? measured : Size();
    } else if (resizeToFillClient_) {
        required = minSize_;
    } else {
        required = Size();
    }
    return std::max(required, minSize_);
}

void TColRowAttributes::Assign(const TCellAttributes &Source)
{
    const auto *src = dynamic_cast<const TColRowAttributes *>(&Source);
    if (src && binding_ == Binding::Free)
        kind_ = src->kind_;
    TCellAttributes::Assign(Source);
    if (src) {
        if (Bound() && !Visible())
            keptSize_ = src->keptSize_;
        else {
            keptSize_ = src->keptSize_;
            SetSize(src->Size());
        }
    }
}

void TColRowAttributes::AssignAttributes(const TCellAttributes &Source)
{
    if (&Source == this)
        return;
    {
        Silence quiet(*this);
        TCellAttributes::AssignAttributes(Source);
        if (const auto *src = dynamic_cast<const TColRowAttributes *>(&Source)) {
            autoResize_ = src->autoResize_;
            resizeToFillClient_ = src->resizeToFillClient_;
            minSize_ = src->minSize_;
            maxSize_ = src->maxSize_;
            SetVisible(src->Visible());
        }
    }
    Changed();
}

void TColRowAttributes::SetDefaults()
{
    {
        Silence quiet(*this);
        TCellAttributes::SetDefaults();
        autoResize_ = false;
        resizeToFillClient_ = false;
        if (grid_ && kind_ == 1) {
            autoResize_ = grid_->AutoResizeCols();
            resizeToFillClient_ = grid_->ResizeColsToFillClient();
        } else if (grid_ && kind_ == 2) {
            autoResize_ = grid_->AutoResizeRows();
            resizeToFillClient_ = grid_->ResizeRowsToFillClient();
        }
        minSize_ = 0;
        maxSize_ = 65535;
        visible_ = true;
    }
    Changed();
}

void TColRowAttributes::ApplyTo(TCellAttributes &Dest) const
{
    TCellAttributes::ApplyTo(Dest);
    auto *d = dynamic_cast<TColRowAttributes *>(&Dest);
    if (d && kind_ != 0 && d->kind_ == kind_) {
        d->SetAutoResize(autoResize_);
        d->SetResizeToFillClient(resizeToFillClient_);
    }
}

bool TColRowAttributes::SameAs(const TCellAttributes &Other, TDefaultAttributes Flags) const
{
    if (!TCellAttributes::SameAs(Other, Flags))
        return false;
    const auto *o = dynamic_cast<const TColRowAttributes *>(&Other);
    if (!o)
        return true;
    return Visible() == o->Visible() && autoResize_ == o->autoResize_ &&
           resizeToFillClient_ == o->resizeToFillClient_;
}

// ===========================================================================
// Collections

void TColRowAttributesItem::SetColRowIndex(int value)
{
    if (value == colRowIndex_)
        return;
    if (value >= 0 && collection_) {
        for (const auto &item : collection_->items_)
            if (item.get() != this && item->colRowIndex_ == value)
                throw EDupColRowIndex(DupIndexMessage);
    }
    colRowIndex_ = value;
}

bool TColRowAttributesItem::InGrid() const
{
    const TRichGrid *grid = collection_ ? collection_->grid_ : nullptr;
    if (!grid || colRowIndex_ < 0)
        return false;
    return colRowIndex_ < (collection_->kind_ == 1 ? grid->ColCount() : grid->RowCount());
}

QStringList TColRowAttributesItem::Cells() const
{
    if (!InGrid())
        return cells_;
    const TRichGrid *grid = collection_->grid_;
    return collection_->kind_ == 1 ? grid->Cols(colRowIndex_) : grid->Rows(colRowIndex_);
}

void TColRowAttributesItem::SetCells(const QStringList &value)
{
    if (!InGrid()) {
        cells_ = value;
        return;
    }
    const QStringList texts = value; // value may be the kept list itself
    cells_.clear();
    TRichGrid *grid = collection_->grid_;
    if (collection_->kind_ == 1)
        grid->SetCols(colRowIndex_, texts);
    else
        grid->SetRows(colRowIndex_, texts);
}

TColRowAttributesItem *TColRowCollection::Add()
{
    items_.push_back(std::unique_ptr<TColRowAttributesItem>(new TColRowAttributesItem(this)));
    items_.back()->attributes_.kind_ = kind_;
    return items_.back().get();
}

TColRowAttributesItem *TColRowCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return items_[index].get();
}

void TColRowCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    items_.erase(items_.begin() + index);
}

void TColRowCollection::Assign(const TColRowCollection &Source)
{
    if (&Source == this)
        return;
    items_.clear();
    for (const auto &src : Source.items_) {
        TColRowAttributesItem *item = Add();
        item->colRowIndex_ = src->colRowIndex_;
        item->attributes_.AssignAttributes(src->attributes_);
        item->attributes_.keptSize_ = src->attributes_.keptSize_;
        item->cells_ = src->cells_;
    }
}

// ===========================================================================
// TCellFormatter

TCellFormatter::TCellFormatter(QObject *AOwner) : QObject(AOwner) {}

TCellFormatter::~TCellFormatter()
{
    while (users_) {
        TCellAttributes *a = users_;
        Unregister(a);
        a->formatter_ = nullptr;
        a->Changed();
    }
}

void TCellFormatter::Register(TCellAttributes *a)
{
    a->fmtPrev_ = nullptr;
    a->fmtNext_ = users_;
    if (users_)
        users_->fmtPrev_ = a;
    users_ = a;
}

void TCellFormatter::Unregister(TCellAttributes *a)
{
    if (a->fmtPrev_)
        a->fmtPrev_->fmtNext_ = a->fmtNext_;
    else if (users_ == a)
        users_ = a->fmtNext_;
    if (a->fmtNext_)
        a->fmtNext_->fmtPrev_ = a->fmtPrev_;
    a->fmtPrev_ = nullptr;
    a->fmtNext_ = nullptr;
}

void TCellFormatter::FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                                TCellAttributes &ACellAttributes)
{
    formattedRow_ = ARow;
    formattedText_ = ACellText;
    if (OnCellFormat)
        OnCellFormat(*this, AGrid, ACol, ARow, ACellText, ACellAttributes);
}

void TCellFormatter::Changed()
{
    // Many cells may use one formatter; each grid repaints once.
    std::vector<TRichGrid *> grids;
    for (TCellAttributes *a = users_; a; a = a->fmtNext_) {
        if (a->silence_ > 0)
            continue;
        TRichGrid *g = a->binding_ != TCellAttributes::Binding::Free ? a->grid_ : nullptr;
        if (g) {
            if (std::find(grids.begin(), grids.end(), g) == grids.end())
                grids.push_back(g);
        }
        if (a->OnChange)
            a->OnChange(*a, a->col_, a->row_);
    }
    for (TRichGrid *g : grids)
        g->InvalidateGrid();
    if (OnChange)
        OnChange(this);
}

namespace {

// Sizes by text in one open table: each slot keeps the text's hash, its size
// and the text itself (a short one in the slot, a longer one in a shared
// buffer), so that finding a text mostly reads one slot.
class TextSizeTable
{
public:
    static quint64 Hash(QStringView t)
    {
        quint64 h = 1469598103934665603ull;
        for (QChar ch : t) {
            h ^= ch.unicode();
            h *= 1099511628211ull;
        }
        return h | 1;  // 0 marks an empty slot
    }

    const QSize *Find(QStringView t, quint64 h) const
    {
        if (slots_.empty())
            return nullptr;
        for (size_t i = Index(h);; i = (i + 1) & mask_) {
            const Slot &s = slots_[i];
            if (s.hash == 0)
                return nullptr;
            if (s.hash == h && s.length == quint32(t.size()) && Text(s) == t)
                return &s.size;
        }
    }

    void Insert(QStringView t, quint64 h, QSize size)
    {
        if ((count_ + 1) * 2 > slots_.size())
            Grow();
        Slot s;
        s.hash = h;
        s.size = size;
        s.length = quint32(t.size());
        if (t.size() <= InlineLength) {
            std::copy(t.begin(), t.end(), reinterpret_cast<QChar *>(s.inl));
        } else {
            s.offset = quint32(chars_.size());
            chars_.append(reinterpret_cast<const char16_t *>(t.utf16()), size_t(t.size()));
        }
        Place(s);
        ++count_;
    }

    size_t Count() const { return count_; }

private:
    static constexpr qsizetype InlineLength = 12;
    struct Slot
    {
        quint64 hash = 0;
        QSize size;
        quint32 length = 0;
        quint32 offset = 0;
        char16_t inl[InlineLength] = {};
    };

    QStringView Text(const Slot &s) const
    {
        return s.length <= quint32(InlineLength) ? QStringView(s.inl, qsizetype(s.length))
                                                 : QStringView(chars_.data() + s.offset, qsizetype(s.length));
    }
    size_t Index(quint64 h) const { return size_t((h * 0x9E3779B97F4A7C15ull) >> shift_); }
    void Place(const Slot &s)
    {
        size_t i = Index(s.hash);
        while (slots_[i].hash != 0)
            i = (i + 1) & mask_;
        slots_[i] = s;
    }
    void Grow()
    {
        std::vector<Slot> old;
        old.swap(slots_);
        const size_t size = old.empty() ? 256 : old.size() * 2;
        slots_.assign(size, Slot());
        mask_ = size - 1;
        shift_ = 64;
        for (size_t n = size; n > 1; n >>= 1)
            --shift_;
        for (const Slot &s : old)
            if (s.hash != 0)
                Place(s);
    }

    std::vector<Slot> slots_;
    std::u16string chars_;
    size_t count_ = 0;
    size_t mask_ = 0;
    int shift_ = 64;
};

} // namespace

// The sizes of the texts measured while the columns are sized on the
// grid's own screen: a column of many rows holds few distinct texts, columns
// of the same kind hold the same ones, and a grid filled again mostly shows
// texts it showed before. Each size is the measure's own answer for the same
// font, style, flags and bounds, so the widths come out as if every cell
// were measured afresh. The grid keeps its store from one sizing to the
// next while its font, its measure and the measure's answer for a sample
// text stay the same.
//
// Columns of amounts, quantities and dates hold as many distinct texts as
// rows. Where the measure gives a digit the width of '0' next to every
// character such texts are made of, a text of those characters measures as
// the same text with that digit written as '0': such texts share one size.
// Whether a digit does is asked of the measure itself, once a style and
// flags have met many texts, with long runs of the digit between each of
// those characters (a difference of a fraction of a pixel adds up there).
class RichGridSizing::MeasuredTextStore
{
public:
    explicit MeasuredTextStore(const TRichGrid *grid) : grid_(grid) {}
    const TRichGrid *Grid() const { return grid_; }

    // Before a sizing: forgets everything when what the sizes depend on
    // changed, or when the store has grown past its bound.
    void Check(const QFont &font, const TRichGrid::TTextMeasure &measure)
    {
        const QRect sample = measure(font, nullptr, QRect(0, 0, 1000, 100), Qt::AlignLeft | Qt::TextSingleLine,
                                     QStringLiteral("0123456789 Wg Хляб"));
        if (!(font == font_) || sample != sample_ || held_ > MaxHeld) {
            contexts_.clear();
            digits_.clear();
            last_ = 0;
            held_ = 0;
            font_ = font;
            sample_ = sample;
        }
    }

    template <typename MakeFont, typename Measure>
    QSize Size(std::uint64_t style, int flags, const QRect &bounds, QStringView text, const MakeFont &makeFont,
               const Measure &measure)
    {
        if (last_ >= contexts_.size() || !contexts_[last_].Fits(style, flags, bounds)) {
            last_ = contexts_.size();
            for (size_t i = 0; i < contexts_.size(); ++i) {
                if (contexts_[i].Fits(style, flags, bounds)) {
                    last_ = i;
                    break;
                }
            }
            if (last_ == contexts_.size())
                contexts_.push_back(Context{style, flags, bounds, makeFont(), DigitsOf(style, flags), {}});
        }
        Context &c = contexts_[last_];
        DigitMap &d = digits_[c.digits];
        char16_t shared[MaxShared];
        const QStringView key = d.any && Shared(text, d, shared) ? QStringView(shared, text.size()) : text;
        const quint64 hash = TextSizeTable::Hash(key);
        if (const QSize *known = c.sizes.Find(key, hash))
            return *known;
        const QSize size = measure(c.font, nullptr, bounds, flags, key.toString()).size();
        c.sizes.Insert(key, hash, size);
        ++held_;
        if (!d.asked && ++d.met >= AskAfter) {
            d.asked = true;
            Ask(d, c.font, measure);
        }
        return size;
    }

private:
    // Texts held at most before the store starts again.
    static constexpr size_t MaxHeld = 2000000;
    // Texts of a style and flags measured one by one before the measure is
    // asked about digits: a small grid never pays for the question.
    static constexpr int AskAfter = 1024;
    // The longest text that may share its size with others.
    static constexpr qsizetype MaxShared = 32;

    // What a digit is written as, for one style and flags.
    struct DigitMap
    {
        std::uint64_t style;
        int flags;
        int met = 0;
        bool asked = false;
        bool any = false;   // some digit is written as '0'
        char16_t as[10] = {u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9'};
    };

    // Digits and what numbers and dates are written with around them.
    static bool Around(char16_t ch)
    {
        constexpr quint64 set = (quint64(1) << ' ') | (quint64(1) << '%') | (quint64(1) << '+') |
                                (quint64(1) << ',') | (quint64(1) << '-') | (quint64(1) << '.') |
                                (quint64(1) << '/') | (quint64(1) << ':') | (quint64(0x3FF) << '0');
        return ch < 64 && ((set >> ch) & 1u);
    }

    // The text with each digit written as the map says, when every
    // character is one of those the measure was asked about.
    static bool Shared(QStringView text, const DigitMap &d, char16_t *out)
    {
        const qsizetype n = text.size();
        if (n > MaxShared)
            return false;
        const char16_t *t = text.utf16();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t ch = t[i];
            if (!Around(ch))
                return false;
            out[i] = ch >= u'0' && ch <= u'9' ? d.as[ch - u'0'] : ch;
        }
        return true;
    }

    size_t DigitsOf(std::uint64_t style, int flags)
    {
        for (size_t i = 0; i < digits_.size(); ++i)
            if (digits_[i].style == style && digits_[i].flags == flags)
                return i;
        DigitMap d;
        d.style = style;
        d.flags = flags;
        digits_.push_back(d);
        return digits_.size() - 1;
    }

    // Asks the measure which digits measure as '0' wherever they stand: a
    // digit d between characters x and '0' in both orders, each pattern
    // repeated, against the same with '0' for d, and alone. Texts that wrap
    // are never shared: where a line breaks depends on more than widths.
    template <typename Measure>
    void Ask(DigitMap &d, const QFont &font, const Measure &measure)
    {
        if (d.flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere))
            return;
        static const QString around = QStringLiteral("0123456789 %+,-./:");
        constexpr int times = 64;
        const QRect bounds(0, 0, 1 << 20, 1000);
        const auto size = [&](const QString &t) { return measure(font, nullptr, bounds, d.flags, t).size(); };
        const auto run = [&](QChar a, QChar b, QChar c) {
            QString t;
            t.reserve(3 * times);
            for (int i = 0; i < times; ++i)
                t.append(a).append(b).append(c);
            return t;
        };
        const QChar zero(u'0');
        std::vector<QSize> before, after;
        for (QChar x : around) {
            before.push_back(size(run(x, zero, zero)));
            after.push_back(size(run(zero, zero, x)));
        }
        const QSize alone = size(QString(zero));
        for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
            const QChar g(digit);
            bool same = size(QString(g)) == alone;
            for (qsizetype i = 0; same && i < around.size(); ++i)
                same = size(run(around[i], g, zero)) == before[size_t(i)] &&
                       size(run(zero, g, around[i])) == after[size_t(i)];
            if (same) {
                d.as[digit - u'0'] = u'0';
                d.any = true;
            }
        }
    }

    struct Context
    {
        std::uint64_t style;
        int flags;
        QRect bounds;
        QFont font;
        size_t digits;   // its DigitMap
        TextSizeTable sizes;
        bool Fits(std::uint64_t s, int f, const QRect &b) const { return style == s && flags == f && bounds == b; }
    };
    const TRichGrid *grid_;
    std::vector<Context> contexts_;
    std::vector<DigitMap> digits_;
    size_t last_ = 0;
    size_t held_ = 0;
    QFont font_;
    QRect sample_;
};

// ===========================================================================
// Sizing arithmetic

namespace RichGridSizing {

int MeasuredWidth(int textWidth, int imageWidth, int leftMargin, int rightMargin, int blockWidth, int colWidth)
{
    const int w = textWidth + imageWidth + leftMargin + rightMargin + 2;
    if (blockWidth >= w)
        return std::min(w, colWidth);
    return colWidth + (w - blockWidth);
}

int MeasuredHeight(int textHeight, int imageHeight, int topMargin, int bottomMargin, int blockHeight, int rowHeight)
{
    const int h = textHeight + imageHeight + topMargin + bottomMargin + 2;
    if (h > blockHeight)
        return rowHeight + (h - blockHeight) + 1;
    if (h > rowHeight)
        return rowHeight;
    return h;
}

std::vector<int> FillClientShares(int client, int others, const std::vector<int> &required,
                                  const std::vector<int> &maximum)
{
    const int n = static_cast<int>(required.size());
    if (n == 0)
        return {};
    long long sumRequired = 0;
    for (int r : required)
        sumRequired += r;
    if (client <= others + sumRequired)
        return {};
    const int room = client - others;
    const int share = room / n;
    std::vector<int> sizes(n);
    for (int i = 0; i < n; ++i) {
        int s = share + (i == n - 1 ? room % n : 0);
        if (s >= maximum[i])
            s = maximum[i];
        else if (s <= required[i])
            s = required[i];
        sizes[i] = std::max(1, s);
    }
    return sizes;
}

} // namespace RichGridSizing

// ===========================================================================
// TRichGrid

TRichGrid::TRichGrid(QWidget *parent) : platform::StringGrid(parent), colAttr_(this), rowAttr_(this)
{
    defAttributes_ = std::make_unique<TCellAttributes>();
    defAttributes_->binding_ = TCellAttributes::Binding::GridLook;
    defAttributes_->grid_ = this;
    fixedAttributes_ = std::make_unique<TCellAttributes>();
    {
        TCellAttributes::Silence quiet(*fixedAttributes_);
        fixedAttributes_->SetBackColor(FixedColor());
        fixedAttributes_->SetCell3DEffect(bvRaised);
    }
    fixedAttributes_->binding_ = TCellAttributes::Binding::GridLook;
    fixedAttributes_->grid_ = this;
    sharedCol_.binding_ = TCellAttributes::Binding::SharedColumn;
    sharedCol_.grid_ = this;
    sharedCol_.kind_ = 1;
    sharedRow_.binding_ = TCellAttributes::Binding::SharedRow;
    sharedRow_.grid_ = this;
    sharedRow_.kind_ = 2;
    measure_ = [](const QFont &font, QPaintDevice *device, const QRect &bounds, int flags, const QString &text) {
        const QFontMetrics fm = device ? QFontMetrics(font, device) : QFontMetrics(font);
        return fm.boundingRect(bounds, flags, text);
    };
    SetOptions(TGridOptions{goThumbTracking});
}

TRichGrid::~TRichGrid()
{
    // The attribute objects go before the grid they would report to.
    cells_.clear();
    cols_.clear();
    rows_.clear();
}

TCellAttributes *TRichGrid::OwnCell(int c, int r) const
{
    if (r < 0 || c < 0 || r >= static_cast<int>(cells_.size()))
        return nullptr;
    const auto &line = cells_[r];
    if (c >= static_cast<int>(line.size()))
        return nullptr;
    return line[c].get();
}

TColRowAttributes *TRichGrid::OwnCol(int c) const
{
    if (c < 0 || c >= static_cast<int>(cols_.size()))
        return nullptr;
    return cols_[c].get();
}

TColRowAttributes *TRichGrid::OwnRow(int r) const
{
    if (r < 0 || r >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[r].get();
}

// --- counts ---------------------------------------------------------------------

void TRichGrid::SetColCount(int value)
{
    value = std::max(1, value);
    if (value < ColCount()) {
        if (static_cast<int>(cols_.size()) > value)
            cols_.resize(value);
        for (auto &line : cells_)
            if (static_cast<int>(line.size()) > value)
                line.resize(value);
        for (auto &line : values_)
            if (static_cast<int>(line.size()) > value)
                line.resize(value);
        if (static_cast<int>(measuredCols_.size()) > value)
            measuredCols_.resize(value);
        for (auto &b : mergeBlocks_)
            if (b.rect.Right >= value)
                b.applied = false;
    }
    platform::StringGrid::SetColCount(value);
}

void TRichGrid::SetRowCount(int value)
{
    value = std::max(1, value);
    if (value < RowCount()) {
        if (static_cast<int>(rows_.size()) > value)
            rows_.resize(value);
        if (static_cast<int>(cells_.size()) > value)
            cells_.resize(value);
        if (static_cast<int>(values_.size()) > value)
            values_.resize(value);
        if (static_cast<int>(measuredRows_.size()) > value)
            measuredRows_.resize(value);
        for (auto &b : mergeBlocks_)
            if (b.rect.Bottom >= value)
                b.applied = false;
    }
    platform::StringGrid::SetRowCount(value);
}

void TRichGrid::SizeChanged(int OldColCount, int OldRowCount)
{
    ApplyPendingMerges();
    platform::StringGrid::SizeChanged(OldColCount, OldRowCount);
}

// --- simple properties ------------------------------------------------------------

void TRichGrid::SetRichOptions(TRichGridOptions value)
{
    richOptions_ = value;
    InvalidateGrid();
}

void TRichGrid::SetAutoResizeCols(bool value)
{
    autoResizeCols_ = value;
    InvalidateGrid();
}

void TRichGrid::SetAutoResizeRows(bool value)
{
    autoResizeRows_ = value;
    InvalidateGrid();
}

void TRichGrid::SetResizeColsToFillClient(bool value)
{
    resizeColsToFillClient_ = value;
    InvalidateGrid();
}

void TRichGrid::SetResizeRowsToFillClient(bool value)
{
    resizeRowsToFillClient_ = value;
    InvalidateGrid();
}

void TRichGrid::SetImages(TImageList *value)
{
    if (images_ == value)
        return;
    if (imagesChanged_)
        disconnect(imagesChanged_);
    images_ = value;
    if (value)
        imagesChanged_ = connect(value, &TImageList::Changed, this, [this] {
            DoChange();
            InvalidateGrid();
        });
    InvalidateGrid();
}

void TRichGrid::DoChange()
{
    if (OnChange)
        OnChange(this);
}

// --- attribute access ---------------------------------------------------------------

void TRichGrid::LayAttributes(int c, int r, TColRowAttributes &w) const
{
    const TCellAttributes &base = (r >= FixedRows() && c >= FixedCols()) ? *defAttributes_ : *fixedAttributes_;
    TCellAttributes::Silence quiet(w);
    w.CopyValues(base);
    w.defaultAttributes_ = AllDefaultAttributes;
    if (const TColRowAttributes *col = OwnCol(c))
        col->ApplyTo(w);
    if (const TColRowAttributes *row = OwnRow(r))
        row->ApplyTo(w);
    if (const TCellAttributes *cell = OwnCell(c, r))
        cell->ApplyTo(w);
}

void TRichGrid::GetDisplayAttributes(int ACol, int ARow, TCellAttributes *Dest, QString &Text)
{
    TColRowAttributes w;
    LayAttributes(ACol, ARow, w);
    Text = Cells(ACol, ARow);
    // The formatter of the highest layer that set one runs once, on the
    // stored text, and lays its changes over the layered look. Header and
    // fixed cells keep their texts.
    if (w.formatter_ && ACol >= FixedCols() && ARow >= FixedRows()) {
        TCellAttributes::Silence quiet(w);
        w.formatter_->FormatCell(*this, ACol, ARow, Text, w);
    }
    if (Dest) {
        TCellAttributes::Silence quiet(*Dest);
        Dest->AssignAttributes(w);
    }
}

void TRichGrid::GetDisplayText(int ACol, int ARow, QString &S)
{
    GetDisplayAttributes(ACol, ARow, nullptr, S);
}

TCellAttributes *TRichGrid::GetEffectiveCellAttributes(int ACol, int ARow)
{
    if (TCellAttributes *own = OwnCell(ACol, ARow))
        return own;
    QString text;
    GetDisplayAttributes(ACol, ARow, &work_, text);
    work_.visible_ = ColShown(ACol) && RowShown(ARow);
    return &work_;
}

TCellAttributes *TRichGrid::GetCellAttributes(int ACol, int ARow)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        return &scratch_;
    if (TCellAttributes *own = OwnCell(ACol, ARow))
        return own;
    auto obj = std::make_unique<TCellAttributes>();
    {
        // Values and flags of the layers below are frozen into the new
        // object; a formatter's effects are not (they follow the text).
        TColRowAttributes w;
        LayAttributes(ACol, ARow, w);
        TCellAttributes::Silence quiet(*obj);
        obj->CopyValues(w);
    }
    obj->binding_ = TCellAttributes::Binding::Cell;
    obj->col_ = ACol;
    obj->row_ = ARow;
    obj->grid_ = this;
    if (static_cast<int>(cells_.size()) <= ARow)
        cells_.resize(ARow + 1);
    auto &line = cells_[ARow];
    if (static_cast<int>(line.size()) <= ACol)
        line.resize(ACol + 1);
    line[ACol] = std::move(obj);
    return line[ACol].get();
}

TColRowAttributes *TRichGrid::AxisAttributes(int kind, int index)
{
    const bool cols = kind == 1;
    if (index < 0 || index >= (cols ? ColCount() : RowCount()))
        return &scratch_;
    auto &list = cols ? cols_ : rows_;
    if (index < static_cast<int>(list.size()) && list[index])
        return list[index].get();
    auto obj = std::make_unique<TColRowAttributes>();
    RefillShared(*obj, kind, index);
    obj->kind_ = kind;
    obj->binding_ = cols ? TCellAttributes::Binding::Column : TCellAttributes::Binding::Row;
    obj->col_ = cols ? index : -1;
    obj->row_ = cols ? -1 : index;
    obj->grid_ = this;
    if (static_cast<int>(list.size()) <= index)
        list.resize(index + 1);
    list[index] = std::move(obj);
    return list[index].get();
}

TColRowAttributes *TRichGrid::GetColAttributes(int ACol)
{
    return AxisAttributes(1, ACol);
}

TColRowAttributes *TRichGrid::GetRowAttributes(int ARow)
{
    return AxisAttributes(2, ARow);
}

void TRichGrid::RefillShared(TColRowAttributes &shared, int kind, int index) const
{
    TCellAttributes::Silence quiet(shared);
    const bool fixed = kind == 1 ? index < FixedCols() : index < FixedRows();
    shared.CopyValues(fixed ? *fixedAttributes_ : *defAttributes_);
    shared.autoResize_ = kind == 1 ? autoResizeCols_ : autoResizeRows_;
    shared.resizeToFillClient_ = kind == 1 ? resizeColsToFillClient_ : resizeRowsToFillClient_;
    shared.minSize_ = 0;
    shared.maxSize_ = 65535;
    shared.keptSize_ = kind == 1 ? DefaultColWidth() : DefaultRowHeight();
    if (kind == 1)
        shared.col_ = index;
    else
        shared.row_ = index;
}

TColRowAttributes *TRichGrid::GetEffectiveColAttributes(int ACol)
{
    if (TColRowAttributes *own = OwnCol(ACol))
        return own;
    RefillShared(sharedCol_, 1, ACol);
    return &sharedCol_;
}

TColRowAttributes *TRichGrid::GetEffectiveRowAttributes(int ARow)
{
    if (TColRowAttributes *own = OwnRow(ARow))
        return own;
    RefillShared(sharedRow_, 2, ARow);
    return &sharedRow_;
}

bool TRichGrid::EffectiveCanSelect(int c, int r) const
{
    TColRowAttributes w;
    LayAttributes(c, r, w);
    return w.canSelect_;
}

void TRichGrid::AttributesChanged(TCellAttributes &a)
{
    switch (a.binding_) {
    case TCellAttributes::Binding::Cell:
        if (!a.mergedCells_.IsEmpty())
            anyMerges_ = true;
        InvalidateGrid();
        break;
    case TCellAttributes::Binding::Column:
        if (sizingDepth_ == 0) {
            ++sizingDepth_;
            ClampSizes(1);
            FillClient(1);
            --sizingDepth_;
        }
        InvalidateGrid();
        break;
    default:
        InvalidateGrid();
        break;
    }
}

void TRichGrid::MoveCurrentAway(const TCellAttributes &a)
{
    const int c = a.col_;
    const int r = a.row_;
    auto setRow = [this](int row) {
        if (row >= FixedRows() && row < RowCount())
            SetRow(row);
    };
    auto setCol = [this](int col) {
        if (col >= FixedCols() && col < ColCount())
            SetCol(col);
    };
    switch (a.binding_) {
    case TCellAttributes::Binding::Cell:
        if (Col() != c || Row() != r)
            return;
        setRow(r + 1);
        if (Row() == r)
            setCol(c + 1);
        break;
    case TCellAttributes::Binding::Column:
        if (Col() != c)
            return;
        setCol(c + 1 < ColCount() ? c + 1 : c - 1);
        break;
    case TCellAttributes::Binding::Row:
        if (Row() != r)
            return;
        setRow(r + 1 < RowCount() ? r + 1 : r - 1);
        break;
    default:
        break;
    }
}

void TRichGrid::ReselectCurrent(bool columnHidden)
{
    const TGridCoord current{Col(), Row()};
    const TGridCoord from = columnHidden ? TGridCoord{current.X - 1, current.Y} : TGridCoord{current.X, current.Y - 1};
    TGridCoord found;
    auto selectable = [this](int c, int r) { return ColShown(c) && RowShown(r) && EffectiveCanSelect(c, r); };
    if (Data().FindSelectable(from, current, selectable, found))
        MoveCurrentCell(found.X, found.Y, true, true);
}

// --- selection and editing ---------------------------------------------------------

bool TRichGrid::SelectCell(int ACol, int ARow)
{
    if (!platform::StringGrid::SelectCell(ACol, ARow))
        return false;
    if (LeftButtonDown())
        return EffectiveCanSelect(ACol, ARow);
    if (ColShown(ACol) && RowShown(ARow) && EffectiveCanSelect(ACol, ARow))
        return true;
    TGridCoord found;
    auto selectable = [this](int c, int r) { return ColShown(c) && RowShown(r) && EffectiveCanSelect(c, r); };
    if (Data().FindSelectable(TGridCoord{Col(), Row()}, TGridCoord{ACol, ARow}, selectable, found))
        RedirectCurrent(found.X, found.Y);
    return false;
}

bool TRichGrid::CanEditShow() const
{
    if (!platform::StringGrid::CanEditShow())
        return false;
    TColRowAttributes w;
    LayAttributes(Col(), Row(), w);
    return w.canEdit_;
}

void TRichGrid::CellTextChanged(int ACol, int ARow)
{
    if (ARow < static_cast<int>(values_.size()) && ACol < static_cast<int>(values_[ARow].size()))
        values_[ARow][ACol] = QVariant();
}

// --- values -----------------------------------------------------------------------

QVariant TRichGrid::GetCellValue(int ACol, int ARow) const
{
    if (ACol < 0 || ARow < 0 || ARow >= static_cast<int>(values_.size()))
        return QVariant();
    const auto &line = values_[ARow];
    if (ACol >= static_cast<int>(line.size()))
        return QVariant();
    return line[ACol];
}

void TRichGrid::SetCellValue(int ACol, int ARow, const QVariant &Value)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        return;
    if (static_cast<int>(values_.size()) <= ARow) {
        if (!Value.isValid())
            return;
        values_.resize(ARow + 1);
    }
    auto &line = values_[ARow];
    if (static_cast<int>(line.size()) <= ACol) {
        if (!Value.isValid())
            return;
        line.resize(ACol + 1);
    }
    QVariant &v = line[ACol];
    if (v.metaType() == Value.metaType() && v == Value)
        return;
    v = Value;
    InvalidateCell(ACol, ARow);
}

void TRichGrid::ClearCellValues()
{
    values_.clear();
    InvalidateGrid();
}

void TRichGrid::ClearCellValues(const TGridRect &Rect)
{
    for (int r = std::max(0, Rect.Top); r <= Rect.Bottom && r < static_cast<int>(values_.size()); ++r) {
        auto &line = values_[r];
        for (int c = std::max(0, Rect.Left); c <= Rect.Right && c < static_cast<int>(line.size()); ++c)
            line[c] = QVariant();
    }
    InvalidateGrid();
}

// --- merges -----------------------------------------------------------------------

void TRichGrid::SetMergeCellsStr(const QString &value)
{
    std::vector<MergeBlock> blocks;
    const QStringList pieces = value.split(QLatin1Char('|'));
    for (const QString &piece : pieces) {
        if (piece.trimmed().isEmpty())
            continue;
        const QStringList numbers = piece.split(QLatin1Char(','));
        int n[4];
        for (int i = 0; i < 4; ++i) {
            const QString text = i < numbers.size() ? numbers[i].trimmed() : QString();
            bool ok = false;
            n[i] = text.toInt(&ok);
            if (!ok)
                throw EConvertError(QStringLiteral("\"%1\" не е цяло число").arg(text));
        }
        blocks.push_back(MergeBlock{GridRect(n[0], n[1], n[2], n[3]), false});
    }
    mergeCellsStr_ = value;
    mergeBlocks_ = std::move(blocks);
    ApplyPendingMerges();
    InvalidateGrid();
}

void TRichGrid::ApplyPendingMerges()
{
    for (auto &b : mergeBlocks_) {
        if (b.applied)
            continue;
        if (b.rect.Left < 0 || b.rect.Top < 0 || b.rect.Right >= ColCount() || b.rect.Bottom >= RowCount())
            continue;
        MergeCells(b.rect);
        b.applied = true;
    }
}

void TRichGrid::MergeCells(const TGridRect &Rect)
{
    const int left = std::max(0, Rect.Left);
    const int top = std::max(0, Rect.Top);
    const int right = std::min(ColCount() - 1, Rect.Right);
    const int bottom = std::min(RowCount() - 1, Rect.Bottom);
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            TMergedCells m;
            if (c < right)
                m += mcRight;
            if (r < bottom)
                m += mcBottom;
            GetCellAttributes(c, r)->SetMergedCells(m);
        }
    }
}

void TRichGrid::GetMergeRect(int ACol, int ARow, TGridRect &Rect) const
{
    Rect = GridRect(ACol, ARow, ACol, ARow);
    if (!anyMerges_ || ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        return;
    auto merged = [this](int c, int r) {
        const TCellAttributes *a = OwnCell(c, r);
        return a ? a->mergedCells_ : TMergedCells{};
    };
    int c = ACol;
    int r = ARow;
    for (bool moved = true; moved;) {
        moved = false;
        while (c > 0 && merged(c - 1, r).Contains(mcRight)) {
            --c;
            moved = true;
        }
        while (r > 0 && merged(c, r - 1).Contains(mcBottom)) {
            --r;
            moved = true;
        }
    }
    int right = c;
    while (right + 1 < ColCount() && merged(right, r).Contains(mcRight))
        ++right;
    int bottom = r;
    while (bottom + 1 < RowCount() && merged(c, bottom).Contains(mcBottom))
        ++bottom;
    // A block always holds the cell it was asked for.
    Rect = GridRect(c, r, std::max(right, ACol), std::max(bottom, ARow));
}

void TRichGrid::GetMergedCellRect(int ACol, int ARow, QRect &R) const
{
    TGridRect block;
    GetMergeRect(ACol, ARow, block);
    QRect rect;
    QRect clip;
    R = BlockRect(block, rect, clip) ? rect : QRect();
}

TGridRect TRichGrid::CellBlock(int ACol, int ARow) const
{
    TGridRect block;
    GetMergeRect(ACol, ARow, block);
    return block;
}

// --- clearing ----------------------------------------------------------------------

void TRichGrid::ClearAttributes(TGridRect Rect, int What)
{
    if (Rect.Left == -1)
        Rect.Left = FixedCols();
    if (Rect.Top == -1)
        Rect.Top = FixedRows();
    if (Rect.Right == -2)
        Rect.Right = ColCount() - 1;
    if (Rect.Bottom == -2)
        Rect.Bottom = RowCount() - 1;
    if (Rect.Left >= ColCount() || Rect.Top >= RowCount())
        return;
    const int left = std::max(0, Rect.Left);
    const int top = std::max(0, Rect.Top);
    const int right = std::min(ColCount() - 1, Rect.Right);
    const int bottom = std::min(RowCount() - 1, Rect.Bottom);
    if (What & 1) {
        for (int c = left; c <= right && c < static_cast<int>(cols_.size()); ++c)
            cols_[c].reset();
    }
    if (What & 2) {
        for (int r = top; r <= bottom && r < static_cast<int>(rows_.size()); ++r)
            rows_[r].reset();
    }
    if (What & 4) {
        for (int r = top; r <= bottom && r < static_cast<int>(cells_.size()); ++r) {
            auto &line = cells_[r];
            const int last = static_cast<int>(line.size()) - 1;
            if (last < 0)
                continue;
            if (left == 0 && right >= last) {
                std::vector<std::unique_ptr<TCellAttributes>>().swap(line);
                continue;
            }
            for (int c = left; c <= right && c <= last; ++c)
                line[c].reset();
        }
    }
    InvalidateGrid();
}

void TRichGrid::ClearRowsAttributes(int FromRow, int ToRow, int What)
{
    ClearAttributes(GridRect(0, FromRow, ColCount() - 1, ToRow), What & ~1);
}

void TRichGrid::ClearColsAttributes(int FromCol, int ToCol, int What)
{
    ClearAttributes(GridRect(FromCol, 0, ToCol, RowCount() - 1), What & ~2);
}

// --- sizing ---------------------------------------------------------------------------

int TRichGrid::MeasuredColSize(int ACol) const
{
    return ACol >= 0 && ACol < static_cast<int>(measuredCols_.size()) ? measuredCols_[ACol] : 0;
}

int TRichGrid::MeasuredRowSize(int ARow) const
{
    return ARow >= 0 && ARow < static_cast<int>(measuredRows_.size()) ? measuredRows_[ARow] : 0;
}

void TRichGrid::ClampSizes(int kind)
{
    const auto &list = kind == 1 ? cols_ : rows_;
    const int count = kind == 1 ? ColCount() : RowCount();
    for (int i = 0; i < static_cast<int>(list.size()) && i < count; ++i) {
        const TColRowAttributes *a = list[i].get();
        if (!a)
            continue;
        const int size = kind == 1 ? ColWidths(i) : RowHeights(i);
        if (size < 1)
            continue;
        const int clamped = size > a->maxSize_ ? a->maxSize_ : (size < a->minSize_ ? a->minSize_ : size);
        if (clamped == size)
            continue;
        if (kind == 1)
            SetColWidths(i, clamped);
        else
            SetRowHeights(i, clamped);
    }
}

void TRichGrid::SizesChanged(int kind)
{
    if (sizingDepth_ == 0 && dynamicResize_) {
        ++sizingDepth_;
        ClampSizes(kind);
        FillClient(kind);
        --sizingDepth_;
    }
}

void TRichGrid::ColWidthsChanged()
{
    SizesChanged(1);
    platform::StringGrid::ColWidthsChanged();
}

void TRichGrid::RowHeightsChanged()
{
    SizesChanged(2);
    platform::StringGrid::RowHeightsChanged();
}

void TRichGrid::ClientResized()
{
    ++sizingDepth_;
    FillClient(1);
    FillClient(2);
    --sizingDepth_;
}

void TRichGrid::FillClientColumns()
{
    FillClient(1);
}

void TRichGrid::FillClientRows()
{
    FillClient(2);
}

void TRichGrid::FillClient(int kind)
{
    const bool cols = kind == 1;
    const int client = cols ? Data().ClientWidth() : Data().ClientHeight();
    if (client <= 0)
        return;
    const auto &list = cols ? cols_ : rows_;
    const bool byDefault = cols ? resizeColsToFillClient_ : resizeRowsToFillClient_;
    const bool autoByDefault = cols ? autoResizeCols_ : autoResizeRows_;
    if (!byDefault &&
        std::none_of(list.begin(), list.end(), [](const auto &a) { return a && a->resizeToFillClient_; }))
        return;
    std::vector<int> fill, required, maximum;
    int others = 0;
    const int count = cols ? ColCount() : RowCount();
    for (int i = 0; i < count; ++i) {
        const int size = cols ? ColWidths(i) : RowHeights(i);
        if (size < 1)
            continue;
        const TColRowAttributes *own = i < static_cast<int>(list.size()) ? list[i].get() : nullptr;
        if (!(own ? own->resizeToFillClient_ : byDefault)) {
            others += cols ? Data().ColExtent(i) : Data().RowExtent(i);
            continue;
        }
        others += cols ? Data().VertLineWidth() : Data().HorzLineWidth();
        fill.push_back(i);
        if (own) {
            required.push_back(own->RequiredSize());
            maximum.push_back(own->maxSize_);
        } else {
            const int measured = cols ? MeasuredColSize(i) : MeasuredRowSize(i);
            required.push_back(autoByDefault ? (measured > 0 ? measured : size) : 0);
            maximum.push_back(65535);
        }
    }
    const std::vector<int> sizes = RichGridSizing::FillClientShares(client, others, required, maximum);
    if (sizes.empty())
        return;
    ++sizingDepth_;
    for (size_t i = 0; i < fill.size(); ++i) {
        if (cols)
            SetColWidths(fill[i], sizes[i]);
        else
            SetRowHeights(fill[i], sizes[i]);
    }
    --sizingDepth_;
}

int TRichGrid::TextFlags(const TCellAttributes &a) const
{
    const TCellAlignment al = a.alignment_;
    int flags = 0;
    if (al.Contains(caRight))
        flags |= Qt::AlignRight;
    else if (al.Contains(caCenter) && !al.Contains(caLeft))
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (a.wordWrap_) {
        flags |= Qt::TextWordWrap | Qt::AlignTop;
    } else {
        flags |= Qt::TextSingleLine;
        if (al.Contains(caBottom))
            flags |= Qt::AlignBottom;
        else if (al.Contains(caCenter) && !al.Contains(caTop))
            flags |= Qt::AlignVCenter;
        else
            flags |= Qt::AlignTop;
    }
    return flags;
}

namespace {

using RichGridSizing::MeasuredTextStore;

// The store of the sizing under way on the grid's own screen, if any.
MeasuredTextStore *measuring = nullptr;

// Puts a store in place for one sizing and takes it away after.
class MeasuredTexts
{
public:
    MeasuredTexts(MeasuredTextStore *store, MeasuredTextStore **slot)
        : slot_(store ? slot : nullptr), outer_(slot_ ? *slot_ : nullptr)
    {
        if (slot_)
            *slot_ = store;
    }
    ~MeasuredTexts()
    {
        if (slot_)
            *slot_ = outer_;
    }
    MeasuredTexts(const MeasuredTexts &) = delete;
    MeasuredTexts &operator=(const MeasuredTexts &) = delete;

private:
    MeasuredTextStore **slot_;
    MeasuredTextStore *outer_;
};

} // namespace

void TRichGrid::SetTextMeasure(TTextMeasure measure)
{
    measure_ = std::move(measure);
    textSizes_.reset();  // its sizes came from the other measure
}

void TRichGrid::MeasureCell(int c, int r, const TCellAttributes &a, const QString &text, QPaintDevice *device,
                            bool onlyMeasure)
{
    if (!ColShown(c) || !RowShown(r))
        return;
    const TColRowAttributes *col = OwnCol(c);
    const TColRowAttributes *row = OwnRow(r);
    const bool colAuto = col ? col->autoResize_ : autoResizeCols_;
    const bool colFill = col ? col->resizeToFillClient_ : resizeColsToFillClient_;
    const bool rowAuto = row ? row->autoResize_ : autoResizeRows_;
    if (!colAuto && !colFill && !rowAuto)
        return;
    TGridRect block;
    GetMergeRect(c, r, block);
    int blockWidth = 0;
    for (int i = block.Left; i <= block.Right; ++i)
        blockWidth += i == block.Right ? std::max(0, ColWidths(i)) : Data().ColExtent(i);
    int blockHeight = 0;
    for (int i = block.Top; i <= block.Bottom; ++i)
        blockHeight += i == block.Bottom ? std::max(0, RowHeights(i)) : Data().RowExtent(i);
    int imageWidth = 0;
    int imageHeight = 0;
    if (a.bitmapDrawMode_ != bmDontDraw && images_ && a.imageIndex_ >= 0) {
        if (a.bitmapAlignment_ == caLeft || a.bitmapAlignment_ == caRight)
            imageWidth = images_->Width();
        else if (a.bitmapAlignment_ == caTop || a.bitmapAlignment_ == caBottom)
            imageHeight = images_->Height();
    }
    const QRect bounds(0, 0, std::max(1, blockWidth - a.leftMargin_ - a.rightMargin_ - 2 - imageWidth),
                       std::max(1, blockHeight - a.topMargin_ - a.bottomMargin_ - 2 - imageHeight));
    const int flags = TextFlags(a);
    QSize textRect;
    if (measuring && measuring->Grid() == this && !device) {
        textRect = measuring->Size(a.fontStyle_.Bits(), flags, bounds, QStringView(text), [&] {
            return platform::StyledFont(font(), a.fontStyle_);
        }, measure_);
    } else {
        const QFont f = platform::StyledFont(device ? QFont(font(), device) : font(), a.fontStyle_);
        textRect = measure_(f, device, bounds, flags, text).size();
    }
    if (colAuto || colFill) {
        const int w = RichGridSizing::MeasuredWidth(textRect.width(), imageWidth, a.leftMargin_, a.rightMargin_,
                                                    blockWidth, ColWidths(c));
        if (static_cast<int>(measuredCols_.size()) <= c)
            measuredCols_.resize(ColCount(), 0);
        measuredCols_[c] = std::max(measuredCols_[c], w);
        if (!onlyMeasure && colAuto && ColWidths(c) < w)
            SetColWidths(c, w);
    }
    if (rowAuto) {
        const int h = RichGridSizing::MeasuredHeight(textRect.height(), imageHeight, a.topMargin_, a.bottomMargin_,
                                                     blockHeight, RowHeights(r));
        if (static_cast<int>(measuredRows_.size()) <= r)
            measuredRows_.resize(RowCount(), 0);
        measuredRows_[r] = std::max(measuredRows_[r], h);
        if (!onlyMeasure && RowHeights(r) < h)
            SetRowHeights(r, h);
    }
}

void TRichGrid::AutoSizeColumns(QPaintDevice *Canvas)
{
    MeasuredTextStore *store = nullptr;
    if (!Canvas) {
        if (!textSizes_)
            textSizes_ = std::make_unique<MeasuredTextStore>(this);
        textSizes_->Check(font(), measure_);
        store = textSizes_.get();
    }
    MeasuredTexts measured(store, &measuring);
    ++sizingDepth_;
    // Without merged cells and rows that size themselves, a data cell with
    // no look of its own in its row or cell has its column's look: that is
    // laid once per column and the cell's text measured where it lies.
    const bool quick = store && !anyMerges_ && !autoResizeRows_;
    for (int c = 0; c < ColCount(); ++c) {
        const TColRowAttributes *own = OwnCol(c);
        const bool autoResize = own ? own->autoResize_ : autoResizeCols_;
        if (!autoResize || !ColShown(c))
            continue;
        SetColWidths(c, 1);
        if (static_cast<int>(measuredCols_.size()) <= c)
            measuredCols_.resize(ColCount(), 0);
        measuredCols_[c] = 0;
        TColRowAttributes look;
        int lookState = 0;  // 0 not laid yet, 1 laid and plain, 2 a formatter decides
        int imageWidth = 0;
        int imageHeight = 0;
        int flags = 0;
        for (int r = 0; r < RowCount(); ++r) {
            if (!RowShown(r))
                continue;
            if (quick && lookState != 2 && r >= FixedRows() && !OwnRow(r) && !OwnCell(c, r)) {
                if (lookState == 0) {
                    LayAttributes(c, r, look);
                    lookState = look.formatter_ && c >= FixedCols() ? 2 : 1;
                    if (look.bitmapDrawMode_ != bmDontDraw && images_ && look.imageIndex_ >= 0) {
                        if (look.bitmapAlignment_ == caLeft || look.bitmapAlignment_ == caRight)
                            imageWidth = images_->Width();
                        else if (look.bitmapAlignment_ == caTop || look.bitmapAlignment_ == caBottom)
                            imageHeight = images_->Height();
                    }
                    flags = TextFlags(look);
                }
                if (lookState == 1) {
                    if (!ColShown(c))
                        continue;
                    const int colWidth = ColWidths(c);
                    const int blockWidth = std::max(0, colWidth);
                    const int blockHeight = std::max(0, RowHeights(r));
                    const QRect bounds(
                        0, 0, std::max(1, blockWidth - look.leftMargin_ - look.rightMargin_ - 2 - imageWidth),
                        std::max(1, blockHeight - look.topMargin_ - look.bottomMargin_ - 2 - imageHeight));
                    const QSize size = store->Size(look.fontStyle_.Bits(), flags, bounds, CellView(c, r), [&] {
                        return platform::StyledFont(font(), look.fontStyle_);
                    }, measure_);
                    const int w = RichGridSizing::MeasuredWidth(size.width(), imageWidth, look.leftMargin_,
                                                                look.rightMargin_, blockWidth, colWidth);
                    measuredCols_[c] = std::max(measuredCols_[c], w);
                    if (colWidth < w)
                        SetColWidths(c, w);
                    continue;
                }
            }
            TColRowAttributes a;
            QString text;
            GetDisplayAttributes(c, r, &a, text);
            MeasureCell(c, r, a, text, Canvas, false);
        }
    }
    --sizingDepth_;
    ColWidthsChanged();
}

// --- drawing ------------------------------------------------------------------------

void TRichGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState)
{
    QPainter *p = Canvas();
    if (!p)
        return;
    TColRowAttributes a;
    QString text;
    try {
        GetDisplayAttributes(ACol, ARow, &a, text);
    } catch (const std::exception &) {
        // A formatter that fails shows the stored text rather than stopping
        // the paint.
        LayAttributes(ACol, ARow, a);
        text = Cells(ACol, ARow);
    }
    const bool selected = AState.Contains(gdSelected) && !a.hideSelection_;
    const QColor back = platform::ToQColor(selected ? clHighlight : a.backColor_);
    const QColor fore = platform::ToQColor(selected ? clHighlightText : a.foreColor_);
    p->setFont(platform::StyledFont(p->font(), a.fontStyle_));
    // Only the screen sizes the grid: a page (paintTo) measures in its own
    // device units and must leave the columns as the operator sees them.
    if (dynamicResize_ && Painting())
        MeasureCell(ACol, ARow, a, text, p->device(), false);

    p->fillRect(ARect, back);
    QColor bottomRight;
    QColor topLeft;
    switch (a.cell3DEffect_) {
    case bvLowered:
        bottomRight = platform::ToQColor(clBtnHighlight);
        topLeft = platform::ToQColor(clBtnShadow);
        break;
    case bvRaised:
        bottomRight = platform::ToQColor(clBtnShadow);
        topLeft = platform::ToQColor(clBtnHighlight);
        break;
    default:
        bottomRight = topLeft = platform::ToQColor(a.borderColor_);
        break;
    }
    p->setPen(bottomRight);
    p->drawLine(ARect.left(), ARect.bottom(), ARect.right(), ARect.bottom());
    p->drawLine(ARect.right(), ARect.top(), ARect.right(), ARect.bottom());
    p->setPen(topLeft);
    p->drawLine(ARect.left(), ARect.top(), ARect.right(), ARect.top());
    p->drawLine(ARect.left(), ARect.top(), ARect.left(), ARect.bottom());

    QRect textRect = ARect.adjusted(a.leftMargin_ + 1, a.topMargin_ + 1, -(a.rightMargin_ + 1), -(a.bottomMargin_ + 1));
    if (a.bitmapDrawMode_ != bmDontDraw && images_ && a.imageIndex_ >= 0) {
        const int iw = images_->Width();
        const int ih = images_->Height();
        int x = ARect.left();
        int y = ARect.top() + (ARect.height() - ih) / 2;
        switch (a.bitmapAlignment_) {
        case caLeft:
            textRect.setLeft(std::max(textRect.left(), x + iw));
            break;
        case caRight:
            x = textRect.right() + 1 - 4 - iw;
            textRect.setRight(x - 1);
            break;
        case caCenter:
            x = ARect.left() + (ARect.width() - iw) / 2;
            break;
        case caTop:
            x = ARect.left() + (ARect.width() - iw) / 2;
            y = ARect.top();
            textRect.setTop(std::max(textRect.top(), y + ih));
            break;
        case caBottom:
            x = ARect.left() + (ARect.width() - iw) / 2;
            y = ARect.bottom() + 1 - ih;
            textRect.setBottom(std::min(textRect.bottom(), y - 1));
            break;
        }
        images_->Draw(*p, x, y, a.imageIndex_);
    }
    p->setPen(fore);
    p->drawText(textRect, TextFlags(a), text);
    FireDrawCellEvent(ACol, ARow, ARect, AState);
}

// --- copying and loading -----------------------------------------------------------------

void TRichGrid::Assign(const TRichGrid &Source)
{
    if (&Source == this)
        return;
    cells_.clear();
    cols_.clear();
    rows_.clear();
    values_.clear();
    measuredCols_.clear();
    measuredRows_.clear();
    mergeBlocks_.clear();
    anyMerges_ = false;
    ++sizingDepth_;
    SetFixedCols(0);
    SetFixedRows(0);
    SetColCount(Source.ColCount());
    SetRowCount(Source.RowCount());
    SetFixedCols(Source.FixedCols());
    SetFixedRows(Source.FixedRows());
    SetDefaultRowHeight(Source.DefaultRowHeight());
    SetDefaultColWidth(Source.DefaultColWidth());
    for (int c = 0; c < ColCount(); ++c)
        SetColWidths(c, Source.ColWidths(c));
    for (int r = 0; r < RowCount(); ++r)
        SetRowHeights(r, Source.RowHeights(r));
    SetGridLineWidth(Source.GridLineWidth());
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
            SetCells(c, r, Source.Cells(c, r));
    SetOptions(Source.Options());
    SetColor(Source.Color());
    SetFixedColor(Source.FixedColor());
    SetImages(Source.Images());
    richOptions_ = Source.richOptions_;
    autoResizeCols_ = Source.autoResizeCols_;
    autoResizeRows_ = Source.autoResizeRows_;
    resizeColsToFillClient_ = Source.resizeColsToFillClient_;
    resizeRowsToFillClient_ = Source.resizeRowsToFillClient_;
    dynamicResize_ = Source.dynamicResize_;
    setFont(Source.font());
    defAttributes_->AssignAttributes(*Source.defAttributes_);
    fixedAttributes_->AssignAttributes(*Source.fixedAttributes_);
    colAttr_.Assign(Source.colAttr_);
    rowAttr_.Assign(Source.rowAttr_);
    for (int c = 0; c < static_cast<int>(Source.cols_.size()) && c < ColCount(); ++c) {
        if (const TColRowAttributes *src = Source.cols_[c].get()) {
            TColRowAttributes *dst = GetColAttributes(c);
            dst->AssignAttributes(*src);
            dst->keptSize_ = src->keptSize_;
        }
    }
    for (int r = 0; r < static_cast<int>(Source.rows_.size()) && r < RowCount(); ++r) {
        if (const TColRowAttributes *src = Source.rows_[r].get()) {
            TColRowAttributes *dst = GetRowAttributes(r);
            dst->AssignAttributes(*src);
            dst->keptSize_ = src->keptSize_;
        }
    }
    for (int r = 0; r < static_cast<int>(Source.cells_.size()) && r < RowCount(); ++r) {
        const auto &line = Source.cells_[r];
        for (int c = 0; c < static_cast<int>(line.size()) && c < ColCount(); ++c)
            if (const TCellAttributes *src = line[c].get())
                GetCellAttributes(c, r)->AssignAttributes(*src);
    }
    mergeCellsStr_ = Source.mergeCellsStr_;
    mergeBlocks_ = Source.mergeBlocks_;
    anyMerges_ = Source.anyMerges_;
    --sizingDepth_;
    ColWidthsChanged();
    InvalidateGrid();
}

void TRichGrid::Loaded()
{
    for (int i = 0; i < rowAttr_.Count(); ++i) {
        TColRowAttributesItem *item = rowAttr_.Items(i);
        if (!item->InGrid())
            continue;
        GetRowAttributes(item->ColRowIndex())->AssignAttributes(item->Attributes());
        if (!item->cells_.isEmpty())
            item->SetCells(item->cells_);
    }
    for (int i = 0; i < colAttr_.Count(); ++i) {
        TColRowAttributesItem *item = colAttr_.Items(i);
        if (!item->InGrid())
            continue;
        GetColAttributes(item->ColRowIndex())->AssignAttributes(item->Attributes());
        if (!item->cells_.isEmpty())
            item->SetCells(item->cells_);
    }
    for (auto &b : mergeBlocks_)
        b.applied = false;
    ApplyPendingMerges();
    InvalidateGrid();
}
