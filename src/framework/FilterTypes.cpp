#include "framework/FilterTypes.h"

#include <QHash>
#include <algorithm>

TFieldProps::TFieldProps() = default;

TFieldProps::~TFieldProps()
{
    // Children go first; each would otherwise take itself out of the list
    // being walked.
    std::vector<TFieldProps *> children;
    children.swap(FChildren);
    for (TFieldProps *child : children) {
        child->FParent = nullptr;
        delete child;
    }
    if (FParent) {
        auto &siblings = FParent->FChildren;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TFieldProps *TFieldProps::AddChild(TFieldProps *Parent)
{
    auto *child = new TFieldProps;
    if (Parent) {
        child->FParent = Parent;
        Parent->FChildren.push_back(child);
    }
    return child;
}

TFieldProps *TFieldProps::Child(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FChildren[static_cast<std::size_t>(Index)];
}

QString TFieldProps::FullCaption() const
{
    QString result = FCaption;
    for (const TFieldProps *node = FParent; node; node = node->FParent)
        result = node->FCaption + QStringLiteral(" - ") + result;
    return result;
}

void TFieldProps::IterateLeaves(const std::function<void(const QString &, TFieldProps *)> &Visitor)
{
    if (IsLeaf()) {
        if (FParent)
            Visitor(FullCaption(), this);
        return;
    }
    for (TFieldProps *child : FChildren)
        child->IterateLeaves(Visitor);
}

std::vector<QString> TFieldProps::DistinctCaptions(const std::vector<TFieldProps *> &Leaves)
{
    std::vector<QString> captions;
    std::vector<const TFieldProps *> reached;
    for (const TFieldProps *leaf : Leaves) {
        captions.push_back(leaf->FDetail.trimmed().isEmpty()
                               ? leaf->FCaption.simplified()
                               : (leaf->FCaption + QStringLiteral(" - ") + leaf->FDetail).simplified());
        reached.push_back(leaf);
    }
    // A caption shared by several leaves takes the next group above each of
    // them, until the captions differ or no group is left below the root.
    for (bool widened = true; widened;) {
        widened = false;
        QHash<QString, int> uses;
        for (const QString &caption : captions)
            ++uses[caption];
        for (std::size_t i = 0; i < captions.size(); ++i) {
            const TFieldProps *group = reached[i]->FParent;
            if (uses.value(captions[i]) < 2 || !group || !group->FParent)
                continue;
            captions[i] = group->FCaption.simplified() + QStringLiteral(" - ") + captions[i];
            reached[i] = group;
            widened = true;
        }
    }
    return captions;
}
