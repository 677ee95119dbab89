#include "app/windows/HelpKey.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

namespace {

int contextProperty(const QObject* o)
{
    const QVariant v = o ? o->property("helpContext") : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

} // namespace

HelpKey::HelpKey(std::function<void(int)> onHelp, QObject* parent)
    : QObject(parent)
    , onHelp_(std::move(onHelp))
{
    qApp->installEventFilter(this);
}

int HelpKey::contextOf(QObject* receiver)
{
    if (auto* menu = qobject_cast<QMenu*>(receiver)) {
        if (const int c = contextProperty(menu->activeAction()))
            return c;
        return contextProperty(menu);
    }
    for (auto* w = qobject_cast<QWidget*>(receiver); w; w = w->parentWidget()) {
        if (const int c = contextProperty(w))
            return c;
    }
    return 0;
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
        return false;
    if (!watched->isWidgetType())
        return false; // the window handle sees the key first; wait for the widget that takes it
    const int context = contextOf(watched);
    // The help replaces an open menu, as a help viewer in front of it would.
    for (int open = 0; open < 8 && QApplication::activePopupWidget(); ++open)
        QApplication::activePopupWidget()->close();
    if (onHelp_)
        onHelp_(context);
    return true;
}
