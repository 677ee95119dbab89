#pragma once
// "Rubriques d'aide": the contents tree, the keyword index with its filter box and the full-text
// search of one help, as three tabs. Shown modally; after "Afficher" (or Entrée, or a double
// click) chosenTopic() is the topic to show. A keyword of several topics offers them in a second
// list, "Rubriques trouvées".
#include "viewer/core/HelpSession.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;

class HelpTopics : public QDialog {
    Q_OBJECT
public:
    enum class Tab { Contents, Index, Search };

    explicit HelpTopics(QWidget* parent = nullptr);

    // Fills the tabs from `session` and opens at `tab`; `filter` goes into the index's box.
    void Init(const viewer::HelpSession& session, Tab tab, const QString& filter = {});
    int chosenTopic() const { return chosen_; }
    // The window the chosen contents line opens in (empty: the main one).
    QByteArray chosenWindow() const { return chosenWindow_; }

    QTabWidget* Tabs = nullptr;
    QTreeWidget* TreeContents = nullptr;
    QLineEdit* EditIndex = nullptr;
    QListWidget* ListIndex = nullptr;
    QLineEdit* EditSearch = nullptr;
    QListWidget* ListSearch = nullptr;
    QPushButton* ShowBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The topic among several (a keyword's, a KLink's): the list "Rubriques trouvées" through
    // the modal seam; -1 when cancelled.
    static int chooseAmong(QWidget* parent, const viewer::HelpSession& session, const std::vector<int>& topics,
        const QString& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filterIndex(const QString& text);
    void runSearch(const QString& text);
    void showChosen();

    const viewer::HelpSession* session_ = nullptr;
    int chosen_ = -1;
    QByteArray chosenWindow_;
};
