#pragma once
// The project options dialog: help title, icon, browse buttons, main window place and colours,
// and the fonts and background colours of the editor's title field and body.
#include "publish/core/ProjectOptions.h"
#include "store/core/HeaderBlock.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TOptions : public QDialog {
    Q_OBJECT
public:
    explicit TOptions(QWidget* parent = nullptr);

    // Prepares a showing. `title` and `body` are the looks of the editor's title field and body
    // (font name, size, font colour; `background` is the field's colour, shown by the swatches).
    // Returns false after showing the French message when a MAIN= number cannot be read; the
    // dialog must then not be shown and Result not called.
    bool Init(const QStringList& lines, const QString& projectFileName, const store::FieldLook& title,
        const store::FieldLook& body);
    // Hands back the fonts and swatch colours whether confirmed or not; rewrites the project
    // block of `lines` only after a confirmation, and only when the block would read otherwise
    // ([MAP] aside): OK on the block the dialog wrote changes nothing.
    void Result(QStringList& lines, store::FieldLook& title, store::FieldLook& body) const;
    bool confirmed() const { return confirmed_; }

    QString DefaultHelpTitle;
    QString TopicFileName;

    QLineEdit* Edit1 = nullptr;     // help title
    QPushButton* Button3 = nullptr; // title window font
    QFrame* Panel1 = nullptr;       // title window colour
    QPushButton* Button4 = nullptr; // main window font
    QFrame* Panel3 = nullptr;       // main window colour
    QSpinBox* SpinEdit2 = nullptr;  // Largeur
    QSpinBox* SpinEdit1 = nullptr;  // Hauteur
    QSpinBox* SpinEdit3 = nullptr;  // Gauche
    QSpinBox* SpinEdit4 = nullptr;  // Haut
    QCheckBox* CheckBox1 = nullptr; // browse buttons
    QLineEdit* Edit2 = nullptr;     // icon
    QPushButton* Button5 = nullptr; // icon file dialog
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Annuler

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void Edit1KeyPress(); // Enter
    void Edit1Exit();
    void Button3Click();
    void Button4Click();
    void Panel1Click();
    void Panel3Click();
    void Button5Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    publish::OptionsFields fields() const;
    void showLooks();
    bool chooseFont(store::FieldLook& look);
    bool chooseColour(quint32& word);

    store::FieldLook titleLook_;
    store::FieldLook bodyLook_;
    QString iconShown_;     // what Init put into Edit2
    QString iconAsWritten_; // the whole name it was cut from
    QLabel* titleFontName_ = nullptr;
    QLabel* bodyFontName_ = nullptr;
    bool confirmed_ = false;
};
