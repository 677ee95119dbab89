#pragma once
// The preview of the topic being written: its RTF (as the build writes it, with the popups it
// opens) goes through the compiler's reader into the help model and is drawn by the renderer the
// viewer uses. It follows the text: a change only restarts a short timer, and the topic is drawn
// again once the typing pauses, never on the key itself. Problems of the text (braces that do not
// pair up, unknown control words) are listed above the topic, each leading to its place.
#include "winhelp/render/HelpRenderer.h"

#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QListWidget;
class QTimer;
class PopupWindow;
class TopicView;
namespace viewer {
class HelpSession;
}

class HelpPreview : public QWidget {
    Q_OBJECT
public:
    // What the preview draws, asked for when it is about to draw.
    struct Source {
        QByteArray rtf;         // the topic file of one topic and its popups
        QString folder;         // where the pictures the text names are
        QStringList problems;   // French, one per problem
        QList<QPoint> places;   // for each problem: column (x) and line (y) of the body, 0-based
    };
    using Provider = std::function<Source()>;

    explicit HelpPreview(QWidget* parent = nullptr);
    ~HelpPreview() override;

    void setProvider(Provider provider) { provider_ = std::move(provider); }
    // The text changed: drawn again once it has not changed for `Delay` ms.
    void sourceChanged();
    // Draws now (also when hidden).
    void refreshNow();

    static constexpr int Delay = 250;

    TopicView* View = nullptr;
    QListWidget* Problems = nullptr;
    PopupWindow* popupWindow() const;

Q_SIGNALS:
    // Drawn again (tests wait on it).
    void refreshed();
    // A jump of the preview: the editor goes to that topic.
    void jumpRequested(const QByteArray& context);
    // A problem was chosen: the editor shows its place (column, line of the body).
    void problemChosen(const QPoint& place);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void follow(const hlp::LinkRef& link, const QPoint& at);

    Provider provider_;
    QTimer* timer_ = nullptr;
    bool stale_ = true;
    QList<QPoint> places_;
    std::shared_ptr<viewer::HelpSession> session_;
    std::unique_ptr<hlp::HelpRenderer> renderer_;
    QPointer<PopupWindow> popup_;
};
