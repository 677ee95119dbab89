#pragma once
// The popup editor "Rubrique  PopUp": the text of one popup, made from a selected word (Init) or
// loaded from its block (Modif); however it is closed, Result applies the text to the document.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

class TPopUp : public QDialog {
    Q_OBJECT
public:
    explicit TPopUp(QWidget* parent = nullptr);

    // A new popup made from `word`: the field holds the word, capitalised, and the mark, and counts
    // as changed so that closing at once makes the popup.
    void Init(const QStringList& lines, const QString& word);
    // Loads the popup whose open tag is `tag`; false after "Identificateur non reconnu".
    bool Modif(const QStringList& lines, const QString& tag);

    enum class Outcome { None, Added, Changed, Removed };
    // Applies the field to `lines` as they are now, so that anything stored into them while the
    // editor was open stays: a new popup is appended, a changed one moves to the end (blank lines in
    // front of its text dropped), and a text blank through and through removes an existing popup
    // (after a question when topics link to it). `modified` is
    // set when `lines` changed; `text` receives the link after a new popup.
    Outcome Result(QStringList& lines, bool& modified, QString& text);

    void GetIni(int& left, int& top, int& colour) const;
    // A left position of 4 or less becomes 330, a top position below 70 becomes 70; the third value
    // is not used.
    void SetIni(int left, int top, int unused);

    // The document's lines as Init or Modif found them (emptied by Result).
    QStringList PopupWorkLines;
    QString PopupAnchor;
    int PopupNumber = -1;

    QWidget* Panel1 = nullptr;
    QPushButton* Button3 = nullptr; // "Supprimer"
    QPushButton* Button1 = nullptr; // "Fermer"
    QPlainTextEdit* Memo1 = nullptr;

public Q_SLOTS:
    void Button1Click();
    void Button3Click();
    void FormActivate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    bool Memo1KeyPress(int key); // true when the key was handled
    void pasteAsText();
    Outcome remove(QStringList& lines, bool& modified);

    int colour_;
    bool sanitizing_ = false;
};
