#pragma once
// The parts of the project writer (ProjectWriter.h), one file each: ProjectBody.cpp writes a
// topic's paragraphs as the light RTF of the project's topic text, ProjectPictures.cpp turns the
// pictures into files beside the project, ProjectWriter.cpp puts the blocks together.
#include "winhelp/writer/ProjectWriter.h"

#include <QHash>
#include <vector>

namespace hlp::project {

// How the topics are named in the project: the hidden text of a link to each ("IDH_" and the key
// of its title for a page, "Pp" and four digits for a popup), and the topic of each context
// string of the help (letter case aside, first definition wins).
class LinkNames {
public:
    LinkNames(const HelpDocument& document, const std::vector<std::pair<QByteArray, int>>& aliases);

    int topic(QByteArrayView context) const { return m_topics.value(lower(context), -1); }
    // Empty for a topic left out of the project.
    const QByteArray& hidden(int topic) const { return m_hidden[static_cast<size_t>(topic)]; }
    void setHidden(int topic, const QByteArray& name) { m_hidden[static_cast<size_t>(topic)] = name; }

    static QByteArray lower(QByteArrayView s);

private:
    QHash<QByteArray, int> m_topics;
    std::vector<QByteArray> m_hidden;
};

// Appends text of the help as topic text: a backslash or brace gets a backslash in front, the
// paragraph mark's byte and control characters are written as RTF escapes, so that nothing in it
// reads as markup or as the end of a paragraph.
void appendTopicText(QByteArray& out, QByteArrayView text);

// The lines of a topic's text from paragraph `first` on: a paragraph per line, ended by the
// paragraph mark; a table row per line, without it. `pictures[i]` is the file placed for picture
// i (empty: left out). With `popupHeading`, the first line is written for a popup block, whose
// first line the topic file sets in bold: a heading already bold loses its own bold, other text
// keeps its weight.
QList<QByteArray> bodyLines(const Topic& topic, size_t first, const LinkNames& links, const std::vector<QString>& pictures,
    bool popupHeading);

// The plain text of a paragraph (its characters, non-breaking spaces as spaces), to compare it
// with the title.
QByteArray paragraphText(const Paragraph& paragraph);

// A file name beside the project, after it: `base` in letters, digits, '-' and '_', then `suffix`.
QString sideName(const QString& base, const QString& suffix);

// The pictures the kept topics place, as files named after the project (`base`-name.ext):
// bitmaps as .bmp, help pictures with hot spots or several resolutions as .shg or .mrb as they
// are, metafiles as .wmf or .mrb; a picture the help stores several times is one file. Returns
// the file placed for each picture (empty when not used or not usable: said in `warnings`).
std::vector<QString> pictureFiles(const HelpDocument& document, const std::vector<bool>& used, const QString& base,
    std::vector<ProjectSideFile>& files, QStringList& warnings);

} // namespace hlp::project
