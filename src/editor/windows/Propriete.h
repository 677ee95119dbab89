#pragma once
// The properties dialog ("Propriétés de la rubrique"): a topic's title, context string, links and
// counts, as last stored.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TPropriete : public QDialog {
    Q_OBJECT
public:
    explicit TPropriete(QWidget* parent = nullptr);

    // Fills the list for topic `page`; empty when it has no block.
    void Init(const QStringList& lines, int page);

    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr; // "OK", also Enter and Escape

public Q_SLOTS:
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
