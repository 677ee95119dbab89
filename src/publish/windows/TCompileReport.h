#pragma once
// The messages of the built-in compiler after a build, in a window the author can read and copy.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TCompileReport : public QDialog {
    Q_OBJECT
public:
    explicit TCompileReport(QWidget* parent = nullptr);

    // The compiler's messages, after the build's own warnings when there are any.
    void Init(const QString& hlpPath, const QStringList& diagnostics, bool written, const QStringList& warnings = {});
    // The build's warnings alone, when no built-in compile follows.
    void InitWarnings(const QStringList& warnings);
    QString text() const;

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // "Copier"
    QPushButton* Button2 = nullptr; // "Fermer"
};
