#pragma once
// The page hierarchy ("Hiérarchie des pages"): the topics as an outline, level-2 topics under the
// topic above them. The arrows change levels and move top-level topics with their children; closing,
// however it happens, writes the changed levels and renumbers to the tree's order.
#include "store/core/PageOrder.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QToolButton;
class QTreeWidget;

class TPageOut : public QDialog {
    Q_OBJECT
public:
    explicit TPageOut(QWidget* parent = nullptr);

    // Builds the tree from the document, topic `current` highlighted (none when -1), so the keys
    // start from the page on screen.
    void Init(const QStringList& lines, int current = -1);
    // Writes the levels that changed, then numbers the topics in the tree's order (parents before
    // their children); `modified` is set when a line changed.
    store::Renumbering Result(QStringList& lines, bool& modified) const;
    // The topics in display order with the levels as they stand now.
    const QList<store::PageEntry>& shown() const { return shown_; }

    QWidget* Panel1 = nullptr;
    QToolButton* SpeedButton2 = nullptr; // left arrow: level 1
    QToolButton* SpeedButton1 = nullptr; // right arrow: level 2
    QToolButton* SpeedButton3 = nullptr; // "Monter"
    QToolButton* SpeedButton4 = nullptr; // "Descendre"
    QPushButton* Button1 = nullptr;      // "Fermer", also Escape
    QTreeWidget* Outline1 = nullptr;

public Q_SLOTS:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int selectedIndex() const;
    // Rebuilds the outline from `shown_`, highlighting entry `select` (none when -1).
    void showEntries(int select);

    QList<store::PageEntry> shown_;
};
