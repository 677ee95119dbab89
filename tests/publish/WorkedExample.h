#pragma once
// A small project and the exact topic file a build writes for it: header block with a 12-point
// black title font and a 10-point body font, two topics (stored out of number order), one popup.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <iterator>

namespace workedexample {

inline QStringList projectLines()
{
    const QChar end(1);
    const QChar mark(0xB6);
    return {
        QStringLiteral("<HEADER>"), QStringLiteral("MS Sans Serif"), QStringLiteral("12"), QStringLiteral("0"),
        QStringLiteral("80000005"), QStringLiteral("MS Sans Serif"), QStringLiteral("10"), QStringLiteral("0"),
        QStringLiteral("80000005"), QStringLiteral("</HEADER>"),
        QStringLiteral("<HPJ>"), QStringLiteral("[OPTIONS]"), QStringLiteral("TITLE=Aide de demo.hpa"),
        QStringLiteral("[FILES]"), QStringLiteral("demo.rtf"), QStringLiteral("[CONFIG]"), QString(),
        QStringLiteral("[WINDOWS]"),
        QStringLiteral("main=\"demo.hpa\",(100,5,800,800),0,(255,255,255),(255,255,255)"), QStringLiteral("</HPJ>"),
        QStringLiteral("<BLOC0001>"), QStringLiteral("1\\Accueil"), QStringLiteral(u"Démarrage") + end,
        QStringLiteral("Lancez le \\b programme\\b0 .") + mark, QStringLiteral("</BLOC0001>"),
        QStringLiteral("<POPUP0000>"), QStringLiteral("Note0000") + end, QStringLiteral("Note") + mark,
        QStringLiteral("Texte de la note.") + mark, QStringLiteral("</POPUP0000>"),
        QStringLiteral("<BLOC0000>"), QStringLiteral("1accueil\\"), QStringLiteral("Accueil") + end,
        QStringLiteral("Bienvenue dans l'aide.") + mark, QStringLiteral("</BLOC0000>"),
    };
}

inline const char* const kHeader[] = {
    R"({\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;})",
    R"({\f1\froman\fcharset2 Symbol;}{\f2\fswiss\fprq2 MS Sans Serif;})",
    R"({\f3\froman Times New Roman;})",
    R"({\colortbl\red0\green0\blue0;\red0\green0\blue255;\red0\green255\blue255;\red0\green255\blue0;)"
    R"(\red255\green0\blue255;\red255\green0\blue0;\red255\green255\blue0;\red128\green128\blue128;)"
    R"(\red255\green255\blue255;\red0\green0\blue128;\red0\green128\blue128;\red0\green128\blue0;)"
    R"(\red128\green0\blue128;\red128\green0\blue0;\red192\green192\blue192;}})",
};

inline const char* const kBody[] = {
    R"({\cs16\super #{\footnote\pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid{\cs16\super #}{ IDH_Accueil}})",
    R"(${\footnote \pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid {\cs16\super $}{Accueil}}})",
    R"(K{\footnote \pard \plain\f16\fs20\up6\super K\plain\f16 accueil})",
    R"(+{\footnote \pard \plain\f16\fs20\up6\super +\plain\f16 0000})",
    R"(\f11\fs24\cf0 \cgrid0\keepn Accueil \par\pard\fs20)",
    R"(\fs20 Bienvenue dans l'aide.)",
    R"(\par \fs20 }{\par \f11\fs20\uldb\cgrid0 D\'E9marrage}{\v\f11\fs24\cgrid0 IDH_Dmarrage}{\f11\fs20\cgrid0 \fs20 )",
    R"(\par \page )",
    R"({\cs16\super #{\footnote\pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid{\cs16\super #}{ IDH_Dmarrage}})",
    R"(${\footnote \pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid {\cs16\super $}{D\'E9marrage}}})",
    R"(+{\footnote \pard \plain\f16\fs20\up6\super +\plain\f16 0001})",
    R"(\f11\fs24\cf0 \cgrid0\keepn D\'E9marrage \par\pard\fs20)",
    R"(\fs20 Lancez le \b programme\b0 .)",
    R"(\par }{\par \f11\fs20\uldb\cgrid0 Voir aussi}{\v\cgrid0 IDH_Accueil}{\f11\fs20\cgrid0 )",
    R"(\page )",
    R"(\par })",
    R"({\cs16\super #{\footnote\pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid{\cs16\super #}{ Pp0000}})",
    R"(\fs20 \b Note\b0 )",
    R"(\par \fs20 Texte de la note. )",
    R"(\par )",
    R"(\par \page )",
    R"(\par })",
};

inline QByteArray joined(const char* const* first, const char* const* last)
{
    QByteArray out;
    for (; first != last; ++first)
        out += QByteArray(*first) + "\r\n";
    return out;
}

inline QByteArray expectedHeader() { return joined(std::begin(kHeader), std::end(kHeader)); }

// The whole file, header included.
inline QByteArray expectedRtf() { return expectedHeader() + joined(std::begin(kBody), std::end(kBody)); }

} // namespace workedexample
