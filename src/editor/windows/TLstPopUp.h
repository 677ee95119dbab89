#pragma once
// The popup list "Liste des PopUp": entry k is the first line of popup k. OK, a double-click or
// Enter close it with the highlighted entry as the choice; "Annuler" and Escape with none.
#include <QDialog>

class QListWidget;
class QPushButton;

class TLstPopUp : public QDialog {
    Q_OBJECT
public:
    explicit TLstPopUp(QWidget* parent = nullptr);

    void Init(const QStringList& lines);
    // The highlighted entry after the dialog closed, or -1.
    int ItemIndex() const;

    QWidget* Panel1 = nullptr;
    QPushButton* Button2 = nullptr; // "Annuler"
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
};
