#include "framework/FilterTypes.h"

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
