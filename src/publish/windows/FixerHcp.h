#pragma once
// The dialog that sets the help compiler's path. An empty path means the built-in compiler.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFixerHcp : public QDialog {
    Q_OBJECT
public:
    explicit TFixerHcp(QWidget* parent = nullptr);

    // Clears the confirmation and shows `path` in the field.
    void Init(const QString& path);
    // After OK: `path` takes the field's text as it stands (also empty); otherwise unchanged.
    void Result(QString& path) const;
    bool confirmed() const { return confirmed_; }

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr; // says what an empty path means
    QPushButton* Button1 = nullptr; // "..."
    QPushButton* Button2 = nullptr; // "OK"
    QPushButton* Button3 = nullptr; // "Annuler"

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool confirmed_ = false;
};
