#pragma once
// The see-also picker ("Sélectionner rubrique voir aussi"): entry k is the title of topic k.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TLienAussi : public QDialog {
    Q_OBJECT
public:
    explicit TLienAussi(QWidget* parent = nullptr);

    // Fills the list with the titles of topics 0, 1, 2 ... up to the first missing number, entry
    // `current` highlighted (none when -1), so the keys start from it.
    void Init(const QStringList& lines, int current = -1);
    // The highlighted entry, which is also its topic's number, or -1.
    int chosenTopic() const;
    QString entryTitle(int k) const { return titles_.value(k); }

    QWidget* Panel1 = nullptr;
    QPushButton* Button2 = nullptr; // "Annuler", also Escape
    QPushButton* Button1 = nullptr; // "OK"
    QListWidget* ListBox1 = nullptr;

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void ListBox1DblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool FormKeyPress(int key);

    QStringList titles_;
};
