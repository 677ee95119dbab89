#pragma once
// The messages of the built-in compiler after a build, in a window the author can read and copy.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TCompileReport : public QDialog {
    Q_OBJECT
public:
    explicit TCompileReport(QWidget* parent = nullptr);

    void Init(const QString& hlpPath, const QStringList& diagnostics, bool written);
    QString text() const;

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // "Copier"
    QPushButton* Button2 = nullptr; // "Fermer"
};
