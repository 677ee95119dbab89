#pragma once
// The project file editor: the .hpj file as last written, edited as plain text; OK puts the text
// back as the document's project block.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QWidget;

class TEditHpj : public QDialog {
    Q_OBJECT
public:
    explicit TEditHpj(QWidget* parent = nullptr);

    // Loads the file named like `fileName` with the extension ".hpj". When it cannot be read,
    // shows "Impossible d'ouvrir le fichier <name>" and returns false: do not show the dialog.
    bool Init(const QString& fileName);
    // `confirmed` tells whether OK was pressed; if so the project block of `lines` becomes
    // "<HPJ>", the edited lines, "</HPJ>".
    void Result(QStringList& lines, bool& confirmed) const;
    // The edited text as lines (an empty text has none).
    QStringList editedLines() const;

    // Place and colour for the settings file; the colour is a colour word (signed as stored).
    void GetIni(int& left, int& top, int& colour) const;
    // A left position of 4 or less becomes 330, a top position below 70 becomes 70.
    void SetIni(int left, int top, int colour);

    QString HpjFileName;

    QWidget* Panel1 = nullptr; // the top bar
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Annuler
    QPlainTextEdit* Memo1 = nullptr;

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void FormResize();
    void FormActivate();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int colour_;
    bool confirmed_ = false;
    bool loading_ = false; // the file's text goes in as it is; only the author's input is checked
};
