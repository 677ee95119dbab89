#pragma once
// Shows a dialog as the program does (exec) and, once it is up, runs `act` on it; a dialog that
// `act` left open is cancelled. For drivers of ScriptedPrompts::dialogs.
#include <QDialog>
#include <QTimer>
#include <functional>

inline int runDialog(QDialog& d, const std::function<void(QDialog&)>& act)
{
    QTimer::singleShot(0, &d, [&d, act] {
        act(d);
        if (d.isVisible())
            d.reject();
    });
    return d.exec();
}
