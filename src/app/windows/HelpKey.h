#pragma once
// F1 anywhere in the program: asks for the program's own help at the help context of what the
// key was pressed on. A menu gives the context of its highlighted entry (or its own); a field or
// window gives the "helpContext" of the first of itself and its parents that has one.
#include <QObject>
#include <functional>

class HelpKey : public QObject {
    Q_OBJECT
public:
    // Watches every key of the application while it lives.
    explicit HelpKey(std::function<void(int context)> onHelp, QObject* parent = nullptr);

    // The context for F1 pressed with `receiver` taking the key; 0 when nothing carries one.
    static int contextOf(QObject* receiver);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(int)> onHelp_;
};
