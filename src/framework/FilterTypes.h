#pragma once
// The field descriptions of the filter dialog: a tree built from the
// header rows of a grid. Group headers are inner nodes, the columns are
// leaves; each leaf knows its grid column and what kind of value the
// column holds.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/StringList.h"

class TFieldProps : public TObject
{
public:
    // A root (no parent).
    TFieldProps();
    // Frees the children; a child takes itself out of its parent.
    ~TFieldProps() override;
    TFieldProps(const TFieldProps &) = delete;
    TFieldProps &operator=(const TFieldProps &) = delete;

    // Kinds of value.
    enum : unsigned char { fkText = 0, fkNumber = 1, fkDate = 2 };

    // A new child appended to Parent.
    static TFieldProps *AddChild(TFieldProps *Parent);

    TFieldProps *Parent() const { return FParent; }
    int Count() const { return static_cast<int>(FChildren.size()); }
    // Raises EStringListError for an index outside the children.
    TFieldProps *Child(int Index) const;
    bool IsLeaf() const { return FChildren.empty(); }

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &Value) { FCaption = Value; }
    unsigned char Kind() const { return FKind; }
    void SetKind(unsigned char Value) { FKind = Value; }
    // The grid column of a leaf; -1 until set.
    int Index() const { return FIndex; }
    void SetIndex(int Value) { FIndex = Value; }
    // What the header says of a leaf's column below the leaf's own cell (a
    // product's name under its code); shown with the caption, not part of
    // the full caption.
    QString Detail() const { return FDetail; }
    void SetDetail(const QString &Value) { FDetail = Value; }
    // The condition last entered for the field.
    QString ConditionText() const { return FConditionText; }
    void SetConditionText(const QString &Value) { FConditionText = Value; }
    // The captions from the root down to this node, joined with " - ".
    QString FullCaption() const;

    // Every leaf below this node, depth first and in order, with its full
    // caption.
    void IterateLeaves(const std::function<void(const QString &FullCaption, TFieldProps *Leaf)> &Visitor);

    // What names each leaf to the user: its own caption and detail on one
    // line, led by the captions of its groups (not the root's) as far as
    // needed to tell it from the other leaves of the list; in the order of
    // Leaves.
    static std::vector<QString> DistinctCaptions(const std::vector<TFieldProps *> &Leaves);

private:
    TFieldProps *FParent = nullptr;
    std::vector<TFieldProps *> FChildren;
    QString FCaption;
    unsigned char FKind = fkText;
    int FIndex = -1;
    QString FConditionText;
    QString FDetail;
};
