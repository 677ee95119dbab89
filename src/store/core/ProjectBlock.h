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

// The map line of a topic title: "IDH_" + key, a tab, the context number.
QString mapLine(const QString& title, int topicNumber);

// Rebuilds [MAP] inside the project block from the titles of topics 0..pageCount-1.
// Only lines inside the project block are ever removed.
void CreMap(QStringList& lines, int pageCount);

// The lines the .hpj file holds (between the tags), or nothing when there is no project block.
std::optional<QStringList> projectFileLines(const QStringList& lines);

// CreMap, then writes the .hpj file. False when there is no block or the file cannot be written.
bool ExportHpj(QStringList& lines, int pageCount, const QString& hpjPath, QString* error = nullptr);

} // namespace store
