#pragma once
// The line splitter: a string list that cuts one line of text into items at
// a delimiter string and joins the items back into a line.
#include "core/StringList.h"

class TLineConv : public TStringList
{
public:
    TLineConv();
    ~TLineConv() override;

    // The delimiter is matched as a whole string, case-sensitively; an
    // empty delimiter keeps a line as one item.
    QString Delimiter() const { return Delimiter_; }
    void SetDelimiter(const QString &Value) { Delimiter_ = Value; }
    // The list owns the objects of its items and frees them.
    bool FreeObjects() const { return FreeObjects_; }
    void SetFreeObjects(bool Value) { FreeObjects_ = Value; }
    // Switching on trims every present item; SetLine trims each new item.
    bool AutoTrim() const { return AutoTrim_; }
    void SetAutoTrim(bool Value);
    // Switching on upper-cases every present item (Cyrillic included).
    bool AutoUpper() const { return AutoUpper_; }
    void SetAutoUpper(bool Value);

    void SetLine(const QString &S);
    void GetLine(QString &S) const;
    // As GetLine, but an item with a nested line contributes that line's
    // own nested text instead of its text.
    void GetNestedLine(QString &S) const;
    void GetLineRange(int FromIndex, int ToIndex, QString &S) const;
    void SetCount(int N);
    // Every item's text emptied, nested lines too; the count stays.
    void ClearItems();

    void Delete(int Index) override;
    void Clear() override;
    // From a line splitter: its delimiter, trimming and ownership are taken
    // over. Persistent objects are copied, other objects left behind, so
    // that two lists never own one object.
    void Assign(const TStringList &Source) override;
    void AddStrings(const TStringList &Source) override;

    TPersistent *Clone() const override;

private:
    void FreeObject(int Index);
    QString JoinItems(int FromIndex, int ToIndex, bool Nested) const;

    QString Delimiter_;
    bool FreeObjects_ = true;
    bool AutoTrim_ = true;
    bool AutoUpper_ = false;
};
