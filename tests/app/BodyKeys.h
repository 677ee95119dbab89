#pragma once
// Driving the topic editor's fields with keys, as the author does, in the windows of ShellFixture.
#include "ShellFixture.h"

#include <QApplication>
#include <QTextBlock>

namespace bodykeys {

// The main window on screen and the focus in `field` (clicked), caret at its start.
inline QWidget* focusOn(ShellFixture& f, QWidget* field)
{
    f.main->show();
    if (!QTest::qWaitForWindowActive(f.main.get()))
        return nullptr;
    QWidget* target = field == f.pages->Memo1 ? f.pages->Memo1->viewport() : field;
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
    return focus;
}

inline QWidget* bodyWithFocus(ShellFixture& f) { return focusOn(f, f.pages->Memo1); }

// The body's lines exactly as the editor holds them.
inline QStringList body(const ShellFixture& f)
{
    QStringList lines;
    for (QTextBlock b = f.pages->Memo1->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

// Types `text` key by key; a letter outside ASCII comes as the keyboard gives it: a key event that
// carries its text.
inline void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

inline void press(QWidget* w, Qt::Key key, int times, Qt::KeyboardModifiers mods = {})
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(w, key, mods);
}

// Selects `length` characters from `start` of the body's first line with the keys.
inline void selectInFirstLine(QWidget* body, int start, int length)
{
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    press(body, Qt::Key_Right, start);
    press(body, Qt::Key_Right, length, Qt::ShiftModifier);
}

} // namespace bodykeys
