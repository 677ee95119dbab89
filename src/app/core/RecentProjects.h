#pragma once
// The last projects opened or saved, newest first, for the "&Fichier" menu. Kept in the
// platform's settings store (QSettings), apart from the six-line TyxHelp.ini that stays as it is.
#include <QString>
#include <QStringList>

class QSettings;

class RecentProjects {
public:
    static constexpr int Capacity = 4;

    // `store` is not owned; nullptr means the program's own place in the user's settings.
    explicit RecentProjects(QSettings* store = nullptr);

    QStringList files() const;
    // Puts `path` (made absolute) first; an entry naming the same file moves up instead of
    // doubling, and the oldest falls off beyond Capacity.
    void add(const QString& path);
    void remove(const QString& path);

    // The menu caption of entry `index` (0-based): "&1 " and the path (a long one shortened in its
    // middle, the file name kept whole), ampersands doubled so that a name never steals an accelerator.
    static QString caption(int index, const QString& path);
    // The same file for the list: absolute and cleaned.
    static QString key(const QString& path);

private:
    void write(const QStringList& files);
    QSettings* store_;
};
