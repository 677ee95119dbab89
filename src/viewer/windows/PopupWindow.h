#pragma once
// A popup topic in a small window at its hot spot, as the help viewers show it: a click anywhere
// (or Échap) closes it; a hot spot inside it is followed.
#include "winhelp/render/HelpRenderer.h"

#include <QFrame>

class QTextBrowser;

class PopupWindow : public QFrame {
    Q_OBJECT
public:
    explicit PopupWindow(QWidget* parent = nullptr);

    QTextBrowser* Text = nullptr;

    // Draws `topic` and shows the window below `at` (global), kept on the screen.
    void popup(hlp::HelpRenderer& renderer, int topic, const QPoint& at, const QColor& background);

Q_SIGNALS:
    void linkActivated(const hlp::LinkRef& link, const QPoint& at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pressedOnLink_ = false;
};
