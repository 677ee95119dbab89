#pragma once
// Help projects for the compiler's tests and the Wine check, written by the program's own build
// (the .hpj and the RTF topic file exactly as F9 writes them) from document lines.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace hlptest {

struct SampleTopic {
    QString title;
    QString keywords; // as typed in the keyword field
    QString seeAlso;  // ContextKey of the linked topic's title, or empty
    QStringList body; // editor lines; a paragraph ends with the mark ¶
    int level = 1;    // 2: under the level-1 topic before it in the contents
};

struct SampleProject {
    QString helpTitle = QStringLiteral("Aide de demo");
    QString icon;              // ICON= line, if not empty
    bool browseButtons = true;
    std::vector<SampleTopic> topics;
    std::vector<QStringList> popups; // text lines of each popup

    // The .hpa document: project block (naming `topicFile` under [FILES]), topic blocks, popup blocks.
    QStringList documentLines(const QString& topicFile = QStringLiteral("demo.rtf")) const;

    // Writes BASE.hpj and BASE.rtf into `folder` with the program's build; returns the .hpj path,
    // or an empty string when they could not be written.
    QString writeWithBuild(const QString& folder, const QString& baseName) const;
};

// Three topics and a popup: accents, bold, italic, underline, centred and boxed paragraphs,
// pictures, a popup link, a see-also jump, keywords.
SampleProject demoProject();

// `count` topics with a keyword each and a jump to the next one; every fifth topic is at level 1,
// the four after it at level 2.
SampleProject generatedProject(int count);

// Writes the pictures and the icon the demo project names (logo.bmp, PRINT.BMP, demo.ico).
bool writeDemoPictures(const QString& folder);

// A 4-bit (colours 16) or 24-bit Windows bitmap, with a pattern.
QByteArray sampleBmp(int width, int height, int bits);
// A 32 x 32, 16-colour icon.
QByteArray sampleIcon();

} // namespace hlptest
