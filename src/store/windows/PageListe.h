#pragma once
// The page index ("Index des pages"): every topic title in number order; the author moves titles up
// and down and picks one topic to open. Closing, however it happens, renumbers to the list's order.
#include "store/core/PageOrder.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QToolButton;

class TPageListe : public QDialog {
    Q_OBJECT
public:
    explicit TPageListe(QWidget* parent = nullptr);

    // Fills the list from the document, topic `current` highlighted (none when -1), so the keys
    // start from the page on screen.
    void Init(const QStringList& lines, int current = -1);
    // Gives each topic its position in the list as its number; `modified` is set when a tag changed.
    store::Renumbering Result(QStringList& lines, bool& modified) const;
    // The number the highlighted entry's topic had at `Init`, or -1 when nothing is highlighted.
    int chosenTopic() const;

    QWidget* Panel1 = nullptr;
    QToolButton* SpeedButton3 = nullptr; // "Monter"
    QToolButton* SpeedButton4 = nullptr; // "Descendre"
    QPushButton* Button1 = nullptr;      // "Fermer"
    QListWidget* ListBox1 = nullptr;

public Q_SLOTS:
    void SpeedButton3Click();
    void SpeedButton4Click();
    void ListBox1DblClick();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool FormKeyPress(int key);
    void exchange(int row, int other);
};
