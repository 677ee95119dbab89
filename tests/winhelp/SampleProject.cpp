#include "SampleProject.h"

#include "publish/core/ProjectBuild.h"
#include "store/core/HeaderBlock.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>

namespace hlptest {

namespace {

const QChar kMark(0xB6);
const QChar kTitleEnd(1);

QString number4(int n)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}

void le16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void le32(QByteArray& b, quint32 v)
{
    le16(b, int(v & 0xFFFF));
    le16(b, int(v >> 16));
}

} // namespace

QStringList SampleProject::documentLines(const QString& topicFile) const
{
    QStringList lines;
    lines << QStringLiteral("<HPJ>") << QStringLiteral("[OPTIONS]") << QStringLiteral("TITLE=") + helpTitle;
    if (!icon.isEmpty())
        lines << QStringLiteral("ICON=") + icon;
    lines << QStringLiteral("[FILES]") << topicFile << QStringLiteral("[CONFIG]")
          << (browseButtons ? QStringLiteral("BrowseButtons()") : QString()) << QStringLiteral("[WINDOWS]")
          << QStringLiteral("main=\"%1\",(100,5,800,800),0,(255,255,255),(192,192,192)").arg(helpTitle)
          << QStringLiteral("</HPJ>");
    for (size_t k = 0; k < topics.size(); ++k) {
        const SampleTopic& t = topics[k];
        lines << QStringLiteral("<BLOC") + number4(int(k)) + QLatin1Char('>');
        lines << QString::number(t.level) + t.keywords + QLatin1Char('\\') + t.seeAlso;
        lines << t.title + kTitleEnd;
        lines << t.body;
        lines << QStringLiteral("</BLOC") + number4(int(k)) + QLatin1Char('>');
    }
    for (size_t p = 0; p < popups.size(); ++p) {
        const QStringList& text = popups[p];
        QString first = text.value(0);
        if (first.endsWith(kMark))
            first.chop(1);
        lines << QStringLiteral("<POPUP") + number4(int(p)) + QLatin1Char('>');
        lines << first + number4(int(p)) + kTitleEnd;
        lines << text;
        lines << QStringLiteral("</POPUP") + number4(int(p)) + QLatin1Char('>');
    }
    return lines;
}

QString SampleProject::writeWithBuild(const QString& folder, const QString& baseName) const
{
    // The options dialog names the topic file in lower case; the build writes BASE.rtf.
    QStringList lines = documentLines(baseName.toLower() + QStringLiteral(".rtf"));
    store::FieldLook title;
    title.fontSize = 12;
    store::FieldLook body;
    body.fontSize = 10;
    const QString projectFile = QDir(folder).filePath(baseName + QStringLiteral(".hpa"));
    const publish::BuildFiles files =
        publish::writeBuildFiles(lines, int(topics.size()), int(popups.size()), title, body, projectFile);
    return files.ok() ? files.hpjPath : QString();
}

SampleProject demoProject()
{
    SampleProject p;
    p.helpTitle = QStringLiteral("Aide de démo");
    p.icon = QStringLiteral("demo.ico");
    const QString m = QString(kMark);
    p.topics.push_back({QStringLiteral("Accueil"), QStringLiteral("accueil;bienvenue"), QString(),
                        {QStringLiteral("Bienvenue dans l'aide de \\b Démo\\b0 , écrite en français.") + m,
                         QStringLiteral("Du texte \\i italique\\i0 , \\ul souligné\\ul0  et un \\{mot\\} entre accolades.") + m,
                         QStringLiteral("\\qc Un paragraphe centré") + m, QStringLiteral("\\pard"),
                         QStringLiteral("\\box Un paragraphe encadré") + m, QStringLiteral("\\pard"),
                         QStringLiteral("Le logo \\{bmc logo.bmp\\} au fil du texte.") + m}});
    p.topics.push_back({QStringLiteral("Démarrage rapide"), QStringLiteral("démarrage;lancer"), QStringLiteral("Accueil"),
                        {QStringLiteral("Lancez le \\b programme\\b0 . Voir la {\\ul note}{\\v Pp0000} avant de commencer.") + m,
                         QStringLiteral("\\{bml logo.bmp\\}Une image à gauche, avec le texte à côté.") + m}});
    p.topics.push_back({QStringLiteral("Imprimer un document"), QStringLiteral("impression;imprimer"), QStringLiteral("Dmarragerapide"),
                        {QStringLiteral("Choisissez la commande \\{bmc print.bmp\\} Imprimer.") + m,
                         QStringLiteral("Colonne\tsuivante après une tabulation.") + m}});
    p.popups.push_back({QStringLiteral("Note") + m, QStringLiteral("Texte de la note surgissante.") + m});
    return p;
}

SampleProject generatedProject(int count)
{
    SampleProject p;
    p.helpTitle = QStringLiteral("Aide générée");
    const QString m = QString(kMark);
    for (int k = 0; k < count; ++k) {
        SampleTopic t;
        t.title = QStringLiteral("Sujet %1").arg(k + 1, 4, 10, QLatin1Char('0'));
        t.keywords = QStringLiteral("mot%1").arg(k + 1, 4, 10, QLatin1Char('0'));
        t.seeAlso = k + 1 < count ? QStringLiteral("Sujet%1").arg(k + 2, 4, 10, QLatin1Char('0')) : QString();
        t.level = k % 5 == 0 ? 1 : 2;
        t.body << QStringLiteral("Texte du sujet %1 : \\b gras\\b0 et \\i italique\\i0 , ").arg(k + 1)
               << QStringLiteral("sur deux lignes de l'éditeur.") + m
               << QStringLiteral("Deuxième paragraphe du sujet %1.").arg(k + 1) + m;
        p.topics.push_back(t);
    }
    return p;
}

QByteArray sampleBmp(int width, int height, int bits)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    const int palette = bits <= 8 ? (1 << bits) : 0;
    QByteArray b;
    b.append("BM");
    le32(b, quint32(14 + 40 + palette * 4 + stride * height));
    le32(b, 0);
    le32(b, quint32(14 + 40 + palette * 4));
    le32(b, 40);
    le32(b, quint32(width));
    le32(b, quint32(height));
    le16(b, 1);
    le16(b, bits);
    le32(b, 0);
    le32(b, quint32(stride * height));
    le32(b, 3780);
    le32(b, 3780);
    le32(b, 0);
    le32(b, 0);
    for (int i = 0; i < palette; ++i) {
        // The 16 classic colours.
        const int r = (i & 1) ? 128 : 0, g = (i & 2) ? 128 : 0, bl = (i & 4) ? 128 : 0;
        const int boost = (i & 8) ? 127 : 0;
        b.append(char(bl ? bl + boost : boost)).append(char(g ? g + boost : boost)).append(char(r ? r + boost : boost)).append('\0');
    }
    for (int y = 0; y < height; ++y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int colour = ((x / 8) + (y / 8)) % 2 ? 12 : (y < height / 2 ? 9 : 14);
            if (bits == 4)
                row[x / 2] = char(row[x / 2] | (x % 2 ? colour : colour << 4));
            else if (bits == 24) {
                row[3 * x] = char(colour == 12 ? 255 : 0);
                row[3 * x + 1] = char(colour == 14 ? 255 : 0);
                row[3 * x + 2] = char(colour == 9 ? 255 : 0);
            } else if (bits == 8) {
                row[x] = char(colour);
            }
        }
        b.append(row);
    }
    return b;
}

QByteArray sampleIcon()
{
    QByteArray image;
    le32(image, 40);
    le32(image, 32);
    le32(image, 64);
    le16(image, 1);
    le16(image, 4);
    le32(image, 0);
    le32(image, 512 + 128);
    le32(image, 0);
    le32(image, 0);
    le32(image, 16);
    le32(image, 0);
    for (int i = 0; i < 16; ++i) {
        const int r = (i & 1) ? 255 : 0, g = (i & 2) ? 255 : 0, bl = (i & 4) ? 255 : 0;
        image.append(char(bl)).append(char(g)).append(char(r)).append('\0');
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x)
            image.append(char(y < 16 ? 0x11 : 0x44));
    image.append(QByteArray(128, '\0'));
    QByteArray ico;
    le16(ico, 0);
    le16(ico, 1);
    le16(ico, 1);
    ico.append(char(32)).append(char(32)).append(char(16)).append('\0');
    le16(ico, 1);
    le16(ico, 4);
    le32(ico, quint32(image.size()));
    le32(ico, 22);
    ico.append(image);
    return ico;
}

bool writeDemoPictures(const QString& folder)
{
    const QDir dir(folder);
    return testfile::write(dir.filePath(QStringLiteral("logo.bmp")), sampleBmp(48, 32, 4))
        && testfile::write(dir.filePath(QStringLiteral("PRINT.BMP")), sampleBmp(24, 24, 24))
        && testfile::write(dir.filePath(QStringLiteral("demo.ico")), sampleIcon());
}

} // namespace hlptest
