#pragma once
// Finds the project's input files whatever the letter case of their names: the project file may
// say demo.rtf while the build wrote DEMO.rtf.
#include <QHash>
#include <QString>
#include <QStringList>

namespace hlp {

class ProjectFiles {
public:
    explicit ProjectFiles(const QString& projectFolder);

    // The existing file for `name` (relative to the project folder, or absolute), first as
    // written, then without regard to case in each path component; then in each of `extraFolders`
    // (relative to the project folder). Empty when not found.
    QString find(const QString& name, const QStringList& extraFolders = {});

private:
    QString findIn(const QString& base, const QString& relative);
    QString matchEntry(const QString& folder, const QString& entry);

    QString m_folder;
    QHash<QString, QHash<QString, QString>> m_listings; // folder -> lower-cased name -> real name
};

} // namespace hlp
