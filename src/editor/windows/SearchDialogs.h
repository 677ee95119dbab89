#pragma once
// The find and replace dialogs of the topic editor: modeless, downwards only, with no match-case,
// whole-word or direction choice (the search folds the ASCII letters and runs forward).
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QString FindText() const;
    void setFindText(const QString& text);
    // Moves the open dialog above or below `match` (in screen coordinates) when it covers it.
    void keepClearOf(const QRect& match);

    QLabel* Label1 = nullptr;
    QLineEdit* FindEdit = nullptr;
    QPushButton* FindButton = nullptr; // "Suivant"
    QPushButton* CancelButton = nullptr;

Q_SIGNALS:
    void Find(); // find next

protected:
    // Opened: the text is selected so that typing replaces it.
    void showEvent(QShowEvent* event) override;
    void updateButtons();
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget* parent = nullptr);

    // Text the document can hold: characters outside code page 1252, and control characters but
    // Tab, become '?' as they enter.
    QString ReplaceText() const;

    QLabel* Label2 = nullptr;
    QLineEdit* ReplaceEdit = nullptr;
    QPushButton* ReplaceButton = nullptr;
    QPushButton* ReplaceAllButton = nullptr;

Q_SIGNALS:
    void Replace(bool replaceAll);
};
