#pragma once
// The modal seam: every message box, file dialog, font or colour dialog and modal showing of a
// dialog goes through here. The program installs the real one; tests install a scripted one.
#include <QColor>
#include <QFont>
#include <QString>

class QDialog;
class QWidget;

class Prompts {
public:
    enum class Answer { Yes, No, Cancel, Ok };
    enum class Buttons { YesNo, YesNoCancel, OkCancel, Ok };
    enum class Kind { Information, Warning, Confirmation, Error };

    virtual ~Prompts() = default;

    virtual Answer ask(QWidget* parent, const QString& text, Buttons buttons, Kind kind) = 0;
    void tell(QWidget* parent, const QString& text, Kind kind = Kind::Information)
    {
        ask(parent, text, Buttons::Ok, kind);
    }
    // Empty when cancelled. `filter` uses the "Texte|*.ext|Autre|*.*" form; an empty `title` gives
    // the dialog its usual caption.
    virtual QString openFileName(QWidget* parent, const QString& filter, const QString& initial,
        const QString& defaultExt = {}, const QString& title = {}) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& initial,
        const QString& defaultExt = {}, const QString& title = {}) = 0;
    // Returns the dialog's result code (QDialog::Accepted or Rejected).
    virtual int showModal(QDialog& dialog) = 0;
    virtual bool chooseFont(QWidget* parent, QFont& font, QColor& colour) = 0;
    virtual bool chooseColour(QWidget* parent, QColor& colour) = 0;
};

// The installed seam; the real one until a test installs another.
Prompts& prompts();
// Installs `p` (not owned); nullptr restores the real one.
void setPrompts(Prompts* p);

// "Texte (*.txt)|*.txt|Tous (*.*)|*.*" -> the ";;"-separated form the platform dialogs take.
QString dialogFilter(const QString& pipeFilter);
