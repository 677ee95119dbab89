#include "app/core/RecentProjects.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <memory>

namespace {

const QString Key = QStringLiteral("projets/recents");

// The program's own settings place: ~/.config/tyxplumet/tyxplumet.conf on Linux.
std::unique_ptr<QSettings> userStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tyxplumet"),
        QStringLiteral("tyxplumet"));
}

} // namespace

RecentProjects::RecentProjects(QSettings* store)
    : store_(store)
{
}

QString RecentProjects::key(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList RecentProjects::files() const
{
    std::unique_ptr<QSettings> own;
    QSettings* s = store_;
    if (!s) {
        own = userStore();
        s = own.get();
    }
    QStringList out;
    // A hand-edited or older settings file may hold blanks or doubles: show each file once.
    for (const QString& f : s->value(Key).toStringList()) {
        const QString k = key(f);
        if (!k.isEmpty() && !out.contains(k))
            out << k;
        if (out.size() == Capacity)
            break;
    }
    return out;
}

void RecentProjects::add(const QString& path)
{
    const QString k = key(path);
    if (k.isEmpty())
        return;
    QStringList list = files();
    list.removeAll(k);
    list.prepend(k);
    while (list.size() > Capacity)
        list.removeLast();
    write(list);
}

void RecentProjects::remove(const QString& path)
{
    QStringList list = files();
    if (list.removeAll(key(path)) > 0)
        write(list);
}

void RecentProjects::write(const QStringList& list)
{
    std::unique_ptr<QSettings> own;
    QSettings* s = store_;
    if (!s) {
        own = userStore();
        s = own.get();
    }
    s->setValue(Key, list);
    s->sync();
}

QString RecentProjects::caption(int index, const QString& path)
{
    QString shown = QDir::toNativeSeparators(path);
    // A deep folder would make the menu as wide as the screen: keep its start and the file name.
    constexpr int Longest = 60;
    if (shown.size() > Longest) {
        const QString name = QFileInfo(path).fileName();
        const qsizetype tail = std::max<qsizetype>(name.size(), Longest - 24);
        shown = shown.left(Longest - 3 - std::min<qsizetype>(tail, Longest - 3)) + QStringLiteral("...") + shown.right(tail);
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 ").arg(index + 1) + shown;
}
