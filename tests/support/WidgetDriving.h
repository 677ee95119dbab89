#pragma once
// Driving a dialog as the author does: keys go to the widget that has the focus in the active
// window, the mouse clicks entries of lists and trees where they are drawn.
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace driving {

// The widget that has the focus once `window` is the active window (null when it never becomes
// active, which fails the key press that follows).
inline QWidget* focused(QWidget* window)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window not active");
    return QApplication::focusWidget();
}

inline void clickRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// A double-click as the platform delivers it: press and release, then the double-click.
inline void doubleClickRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Clicks the first node titled `title`, wherever it hangs.
inline void clickNode(QTreeWidget* tree, const QString& title)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("no node ") + title), __FILE__, __LINE__);
        return;
    }
    tree->scrollToItem(found.front());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found.front()).center());
}

// Shows a dialog as the program does (exec) and, once it is up, runs `act` on it; a dialog that
// `act` left open is cancelled. For drivers of ScriptedPrompts::dialogs.
inline int runDialog(QDialog& d, const std::function<void(QDialog&)>& act)
{
    QTimer::singleShot(0, &d, [&d, act] {
        act(d);
        if (d.isVisible())
            d.reject();
    });
    return d.exec();
}

} // namespace driving
