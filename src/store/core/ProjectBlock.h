#pragma once
// The project block (the lines of the .hpj file between "<HPJ>" and "</HPJ>") and its [MAP]
// section, rebuilt from the topic titles at every save and every export.
#include <QString>
#include <QStringList>
#include <optional>

namespace store {

// The ten lines of a new document's project block for the project file `projectFileName`.
QStringList defaultProjectBlock(const QString& projectFileName);

// Replaces the project block in place, or puts the default block at the top.
void EcritHpj(QStringList& lines, const QString& projectFileName);

// The project block, tags included, without its [MAP] section; empty without a block.
QStringList projectBlockWithoutMap(const QStringList& lines);

// The topic file line the options dialog writes under [FILES]: the lower-cased file name part
// with ".rtf" (an empty name gives ".rtf").
QString topicFileName(const QString& projectFileName);

// The file name the default block in `lines` was made for, when the project block still holds
// exactly the default lines (its [MAP] section aside); nothing for a block the author changed.
std::optional<QString> defaultBlockMadeFor(const QStringList& lines);

// Makes the project block follow the project's name. A block that still holds the defaults made
// for another name (or for none) becomes the default block of `projectFileName`. A block the author
// changed keeps every value but one: when the name changes from `previousFileName`, the [FILES]
// line naming the old name's topic file names the new one. True when the lines changed.
bool followProjectName(QStringList& lines, const QString& projectFileName, const QString& previousFileName = {});

// Makes the lines of a .hpj file name `topicFile` under [FILES] (letter case aside): the only
// topic file there is replaced by it; among several or none, it is added; without [FILES], the
// section is added. True when the lines changed.
bool nameTopicFile(QStringList& hpjLines, const QString& topicFile);

// Longest context string the help compiler takes.
inline constexpr int MaxContextLength = 255;

// The context string of a topic titled `title`: "IDH_" and the title's ContextKey, cut to what
// the compiler takes, however long the title. The .rtf, [MAP], the links and the help site all
// name a topic so.
QString topicContext(const QString& title);

// The map line of a topic title: its context string, a tab, the context number.
QString mapLine(const QString& title, int topicNumber);

// Rebuilds [MAP] inside the project block from the titles of topics 0..pageCount-1.
// Only lines inside the project block are ever removed.
void CreMap(QStringList& lines, int pageCount);

// The lines the .hpj file holds (between the tags), or nothing when there is no project block.
std::optional<QStringList> projectFileLines(const QStringList& lines);

// CreMap, then writes the .hpj file. False when there is no block or the file cannot be written.
// With `topicFile`, the file written names it (nameTopicFile); the block itself is left as it is.
bool ExportHpj(QStringList& lines, int pageCount, const QString& hpjPath, QString* error = nullptr,
    const QString& topicFile = {});

} // namespace store
