#pragma once
// The help viewer: shows any help file (or help project) topic by topic, with its history (back
// and forward), the browse buttons « and », the "Rubriques d'aide" (contents, index, search),
// printing and copying of a topic, popups and secondary windows. Its caption, size, place and
// colours are those the help gives its main window.
#include "viewer/core/HelpSession.h"
#include "winhelp/render/HelpRenderer.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QPrinter;
class QToolButton;
class HelpTopics;
class PopupWindow;
class TopicView;

class HelpViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    ~HelpViewer() override;

    // Reads the help file (a project .hpj too) and shows its contents topic; false with the reason
    // told in French (nothing changes then).
    bool openFile(const QString& path);
    // Whether the help shown is `path` as it is on disk now (same file, not written since it was read).
    bool shows(const QString& path) const;
    // A help already read.
    void openHelp(std::shared_ptr<const hlp::LoadedHelp> help, const QString& path);
    bool hasHelp() const { return session_ != nullptr; }
    const viewer::HelpSession* session() const { return session_.get(); }

    // A context number of [MAP] or a context string; false (said in French) when the help has none.
    bool showContext(const QString& context);
    void showTopic(int topic);
    int currentTopic() const { return current_; }

    // The "Rubriques d'aide" at one tab; the index with `filter` in its box.
    void showContentsTree();
    void showIndex(const QString& filter = {});
    void showSearch();

    void goBack();
    void goForward();
    void browsePrevious();
    void browseNext();
    void printTopic();
    void copyTopic();
    void openOther(); // "Ouvrir..."
    // The open dialog's filter for help files.
    static QString fileFilter();

    // Follows a hot spot of `from` (the main view, a secondary window's or a popup's) chosen at
    // `at` (global).
    void follow(const hlp::LinkRef& link, const QPoint& at, TopicView* from = nullptr);

    TopicView* View = nullptr;
    QToolButton* ContentsBtn = nullptr;
    QToolButton* IndexBtn = nullptr;
    QToolButton* SearchBtn = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* ForwardBtn = nullptr;
    QToolButton* PrevBtn = nullptr;
    QToolButton* NextBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    // The popup open now, if any.
    PopupWindow* popupWindow() const;
    // A secondary window by name (letter case ignored), if it is open.
    QWidget* secondaryWindow(const QByteArray& name) const;

Q_SIGNALS:
    // A topic was drawn in the main view (tests wait on it).
    void topicShown(int topic);

private:
    QToolButton* button(const QString& name, const QString& caption, const QString& hint, const std::function<void()>& handler);
    void createMenus();
    void applyWindow();
    void updateButtons();
    void display(int topic, bool record);
    void openPopup(int topic, const QPoint& at);
    void showInWindow(int topic, const QByteArray& window);
    void runMacros(const QByteArray& macros, const QPoint& at, int current);
    void keywordTopics(const QStringList& keywords, bool firstOnly);
    void openTopics(int tab, const QString& filter);
    void say(const QString& message);

    std::shared_ptr<viewer::HelpSession> session_;
    QDateTime readAt_; // the file's time when it was read
    std::unique_ptr<hlp::HelpRenderer> renderer_;
    viewer::History history_;
    int current_ = -1;
    QPointer<PopupWindow> popup_;
    QHash<QByteArray, QPointer<QWidget>> windows_; // secondary windows by upper-cased name
    std::unique_ptr<QPrinter> printer_;
};
