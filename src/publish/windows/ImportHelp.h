#pragma once
// "Importer une aide .hlp…": a help file made by any WinHelp compiler becomes a project to edit
// again. The help file and the project's name are asked through the modal seam; the project and
// the pictures beside it are written as one set.
#include <QString>

class QWidget;

// Asks for the help file, then for the project file to write ("Ce fichier existe déjà" before
// replacing one), reads the help and writes its project. Returns the project file written, or an
// empty string when the author cancelled or the help could not become a project (then a message
// has said why, in French, and nothing was written).
QString ImporterAide(QWidget* parent);
