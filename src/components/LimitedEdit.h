#pragma once
// The edit that accepts only the characters of a character-set text: the
// code and name fields of the master-data editors.
//
// ValidChars is read character by character: a character stands for itself,
// "a-b" is the range a..b, "-b" at the start everything up to b, "a-" at the
// end everything from a, "--" the character '-', and "-" alone every
// character. No separator is special: in "A-Z;0-9" the ';' is allowed too.
// Ranges run over the characters' Windows-1251 codes; a character that code
// page lacks is never accepted.
#include <QLineEdit>
#include <bitset>
#include <functional>

class TLimitedEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

    explicit TLimitedEdit(QWidget *parent = nullptr);

    QString ValidChars() const { return FValidChars; }
    // Rebuilds the set, forgets the last accepted text and checks the text
    // again.
    void SetValidChars(const QString &Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);

    // Whether C is in the set.
    bool IsAllowed(QChar C) const;
    // S with only its allowed characters.
    QString AllowedOnly(const QString &S) const;

    QString Text() const { return text(); }
    // Sets the text, keeping only its allowed characters.
    void SetText(const QString &Value);
    // Replaces the selection with the allowed characters of the clipboard.
    void PasteAllowed();

    // Fired when the text changed and every character of it is allowed.
    std::function<void(QObject *Sender)> OnChange;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void TextChanged();

    QString FValidChars;
    std::bitset<256> FSet;
    QString FLastText;
    bool FInChange = false;
    TEditCharCase FCharCase = ecNormal;
};
