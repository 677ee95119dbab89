#pragma once
// One topic as a help window shows it: the non-scrolling region fixed at the top (hidden when the
// topic has none) and the text below it, which scrolls. Hot spots are followed with the mouse or
// with Tab and Entrée; the view only says which was chosen and where.
#include "winhelp/render/HelpRenderer.h"

#include <QColor>
#include <QPoint>
#include <QWidget>

class QFrame;
class QTextBrowser;

class TopicView : public QWidget {
    Q_OBJECT
public:
    explicit TopicView(QWidget* parent = nullptr);

    QTextBrowser* Region = nullptr; // the non-scrolling region
    QTextBrowser* Text = nullptr;

    // Draws `topic` with `renderer`; the text scrolls back to its top.
    void showTopic(hlp::HelpRenderer& renderer, int topic);
    void clear();
    // Background colours; an invalid colour keeps the viewer's own.
    void setColours(const QColor& text, const QColor& region);

    // The topic's text, region first: the selection of the field that has one, else everything.
    QString selectedOrAllText() const;
    QString selectedOrAllHtml() const;

Q_SIGNALS:
    // A hot spot was chosen; `at` is where (global), for a popup to open beside it.
    void linkActivated(const hlp::LinkRef& link, const QPoint& at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTextBrowser* browser(const QString& name);
    void fitRegion();
    void anchorClicked(QTextBrowser* from, const QString& href);
    // The hot spot of a picture (.shg) under `at` (the browser's viewport), if any.
    bool pictureLink(QTextBrowser* b, const QPoint& at, hlp::LinkRef& link) const;

    QFrame* rule_ = nullptr;
    QPoint lastPress_;
    bool byMouse_ = false;
};
