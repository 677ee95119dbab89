#pragma once
// Turns the pictures of a help document into the pictures of the help file: reads the files the
// text names ({bmc name}: .bmp, .shg, .mrb, .wmf), converts the pictures the RTF holds, and says
// in French what could not be used.
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

#include <vector>

namespace hlp {

class ProjectFiles;

class PictureLoader {
public:
    PictureLoader(const HelpProject& project, HelpDocument& document, Diagnostics& diag, ProjectFiles& files)
        : m_project(project), m_doc(document), m_diag(diag), m_files(files)
    {
    }

    // Every picture the text shows; `firstUse[i]` is the topic that first shows picture i (null:
    // none, the picture is left out). Fills `stored` with the |bmN contents and `number` with
    // each picture's N (-1 when it could not be used). A .shg's hot spots go to the document.
    void load(const std::vector<const Topic*>& firstUse, bool compress, std::vector<QByteArray>& stored, std::vector<int>& number);

    // For another output than the help file: load() only reads the files (and a .shg's hot
    // spots) and says which cannot be found or read; the output says what it could not show.
    // `number` is then 0 for every picture read, `stored` stays empty.
    void setForHelpFile(bool forHelpFile) { m_forHelpFile = forHelpFile; }

    // The modification time of the newest picture file read (seconds since 1970), or 0.
    qint64 newestInput() const { return m_newest; }

private:
    bool readFile(Picture& picture, const Topic& topic);
    bool readHelpPictureFile(Picture& picture, QString* why);
    void unusable(const Picture& picture, const Topic& topic, const QString& why);
    QByteArray fromFile(Picture& picture, const Topic& topic, bool compress);
    QByteArray fromRtf(const Picture& picture, const Topic& topic, bool compress);

    const HelpProject& m_project;
    HelpDocument& m_doc;
    Diagnostics& m_diag;
    ProjectFiles& m_files;
    qint64 m_newest = 0;
    bool m_forHelpFile = true;
};

// The hot spot a .shg stores, as the model has it: its kind, window and file.
PictureHotspot modelHotspot(const std::uint8_t code[3], int x, int y, int width, int height, const QByteArray& name,
                            const QByteArray& target);

} // namespace hlp
