#pragma once
// The text viewer: any text file shown read-only in a window that stays on top, so the author can
// copy from it while writing. One instance for the whole run; closing only hides it.
#include <QDialog>

class QPushButton;
class QToolButton;
class TextLinesView;

class TFichTxt : public QDialog {
    Q_OBJECT
public:
    explicit TFichTxt(QWidget* parent = nullptr);

    // Shows `fileName` (decoded as an import would); false after telling why when it cannot be read.
    bool Ouvre(const QString& fileName);

    // Place and colour for the settings file; the colour is a colour word (signed as stored).
    void GetIni(int& left, int& top, int& colour) const;
    // A left position of 4 or less becomes 330, a top position below 70 becomes 70.
    void SetIni(int left, int top, int colour);

    // Files larger than this are not loaded (the whole text is kept in memory).
    static constexpr qint64 MaxFileSize = qint64(512) * 1024 * 1024;

    QWidget* Panel1 = nullptr;
    QToolButton* CopyBtn = nullptr;
    QPushButton* Button1 = nullptr; // "Fermer"
    TextLinesView* Memo1 = nullptr;

public Q_SLOTS:
    void CopyBtnClick();
    void Button1Click();
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int colour_;
};

// "Ouvrir &fichier texte...": the open dialog, then the viewer with the chosen file, not waited for.
void OuvreTxt(QWidget* parent, TFichTxt& viewer);
