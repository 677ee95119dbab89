#include "publish/windows/ExportCommand.h"

#include "platform/core/TextFile.h"
#include "platform/windows/Prompts.h"
#include "publish/core/RtfWriter.h"
#include "publish/core/TextExport.h"

#include <QFileInfo>

namespace {

bool sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

bool Exporter(QWidget* parent, const ExportSource& source)
{
    const QString name = prompts().saveFileName(parent,
        QStringLiteral("Fichier texte (*.txt)|*.txt|Fichier rtf (*.rtf)|*.rtf"), QStringLiteral("*.txt"),
        QStringLiteral("txt"), QStringLiteral("Exporter"));
    if (name.isEmpty())
        return false;
    if (sameFile(name, source.projectFile)) {
        prompts().tell(parent,
            QString::fromUtf8("« %1 » est le fichier du projet ouvert : l'exportation ne peut pas le remplacer. "
                              "Choisissez un autre nom.")
                .arg(QFileInfo(name).fileName()),
            Prompts::Kind::Warning);
        return false;
    }
    if (QFileInfo::exists(name)
        && prompts().ask(parent, QString::fromUtf8("Ce fichier existe déjà"), Prompts::Buttons::OkCancel,
               Prompts::Kind::Warning)
            != Prompts::Answer::Ok)
        return false;
    if (source.storePage)
        source.storePage();
    const QStringList& lines = *source.lines;
    QString error;
    bool written = false;
    bool lossy = false;
    if (publish::isRtfName(name))
        written = publish::ExportRtf(lines, source.pageCount, source.popupCount, source.title, source.body, name, &error);
    else
        written = textfile::writeBytes(name, publish::exportText(lines, source.pageCount, &lossy), &error);
    if (!written) {
        prompts().tell(parent, QString::fromUtf8("Impossible d'écrire le fichier « %1 » : %2").arg(name, error),
            Prompts::Kind::Error);
        return false;
    }
    if (lossy)
        prompts().tell(parent,
            QString::fromUtf8("Certains caractères ne peuvent pas être écrits dans « %1 » : ils ont été "
                              "remplacés par « ? ».")
                .arg(name),
            Prompts::Kind::Warning);
    return true;
}
