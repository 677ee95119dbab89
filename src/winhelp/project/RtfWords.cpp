#include "winhelp/project/RtfParser.h"

#include <QByteArray>
#include <QSet>

namespace hlp::rtf {

namespace {

// Groups whose content is not help text.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> set = {
        "info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
        "fldinst", "listtable", "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "generator",
        "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl", "filetbl", "template", "comment",
        "docvar", "annotation", "atnid", "atnauthor", "atndate", "atnref", "background", "ftnsep", "ftnsepc", "ftncn",
        "aftnsep", "aftnsepc", "aftncn", "shp", "shpinst", "bkmkstart", "bkmkend", "xe", "tc", "txe",
        "private", "userprops", "mmathPr", "wgrffmtfilter", "pnseclvl", "listtext", "blipuid", "panose",
        "falt", "fontemb", "fontfile", "objdata", "passwordhash", "protusertbl", "upr", "ud",
        "nonesttables", "nesttableprops", "picprop"};
    return set;
}

} // namespace

void WordTable::emplace(std::string_view word, Word w)
{
    auto& entries = m_buckets[bucket(word)];
    for (const auto& e : entries) {
        if (e.first == word)
            return; // the first entry wins, as with a map
    }
    entries.emplace_back(word, w);
}

const WordTable& wordTable()
{
    static const WordTable table = [] {
        WordTable t;
        t.emplace("fonttbl", Word::fonttbl);
        t.emplace("colortbl", Word::colortbl);
        t.emplace("footnote", Word::footnote);
        t.emplace("fldrslt", Word::fldrslt);
        t.emplace("field", Word::field);
        t.emplace("object", Word::object);
        t.emplace("result", Word::result);
        t.emplace("f", Word::f);
        t.emplace("fnil", Word::fnil);
        t.emplace("froman", Word::froman);
        t.emplace("fswiss", Word::fswiss);
        t.emplace("fmodern", Word::fmodern);
        t.emplace("fscript", Word::fscript);
        t.emplace("fdecor", Word::fdecor);
        t.emplace("ftech", Word::ftech);
        t.emplace("fcharset", Word::fcharset);
        t.emplace("ansicpg", Word::ansicpg);
        t.emplace("red", Word::red);
        t.emplace("green", Word::green);
        t.emplace("blue", Word::blue);
        t.emplace("par", Word::par);
        t.emplace("page", Word::page);
        t.emplace("line", Word::line);
        t.emplace("tab", Word::tab);
        t.emplace("u", Word::u);
        t.emplace("uc", Word::uc);
        t.emplace("emdash", Word::emdash);
        t.emplace("endash", Word::endash);
        t.emplace("bullet", Word::bullet);
        t.emplace("lquote", Word::lquote);
        t.emplace("rquote", Word::rquote);
        t.emplace("ldblquote", Word::ldblquote);
        t.emplace("rdblquote", Word::rdblquote);
        t.emplace("emspace", Word::emspace);
        t.emplace("enspace", Word::enspace);
        t.emplace("qmspace", Word::qmspace);
        t.emplace("deff", Word::deff);
        t.emplace("plain", Word::plain);
        t.emplace("b", Word::b);
        t.emplace("i", Word::i);
        t.emplace("ul", Word::ul);
        t.emplace("uld", Word::uld);
        t.emplace("ulw", Word::ulw);
        t.emplace("uldash", Word::uldash);
        t.emplace("ulth", Word::ulth);
        t.emplace("uldb", Word::uldb);
        t.emplace("ulnone", Word::ulnone);
        t.emplace("strike", Word::strike);
        t.emplace("scaps", Word::scaps);
        t.emplace("v", Word::v);
        t.emplace("fs", Word::fs);
        t.emplace("cf", Word::cf);
        t.emplace("pard", Word::pard);
        t.emplace("qc", Word::qc);
        t.emplace("qr", Word::qr);
        t.emplace("ql", Word::ql);
        t.emplace("qj", Word::qj);
        t.emplace("li", Word::li);
        t.emplace("ri", Word::ri);
        t.emplace("fi", Word::fi);
        t.emplace("sb", Word::sb);
        t.emplace("sa", Word::sa);
        t.emplace("sl", Word::sl);
        t.emplace("keepn", Word::keepn);
        t.emplace("keep", Word::keep);
        t.emplace("box", Word::box);
        t.emplace("brdrt", Word::brdrt);
        t.emplace("brdrb", Word::brdrb);
        t.emplace("brdrl", Word::brdrl);
        t.emplace("brdrr", Word::brdrr);
        t.emplace("brdrth", Word::brdrth);
        t.emplace("brdrdb", Word::brdrdb);
        t.emplace("brdrs", Word::brdrs);
        t.emplace("brdrnone", Word::brdrnone);
        t.emplace("brdrtbl", Word::brdrnone); // Word: "no border, as the table says"
        t.emplace("brdrw", Word::brdrw);
        t.emplace("tqr", Word::tqr);
        t.emplace("tqc", Word::tqc);
        t.emplace("tx", Word::tx);
        t.emplace("tb", Word::tb);
        t.emplace("trowd", Word::trowd);
        t.emplace("trgaph", Word::trgaph);
        t.emplace("trleft", Word::trleft);
        t.emplace("cellx", Word::cellx);
        t.emplace("cell", Word::cell);
        t.emplace("row", Word::row);
        t.emplace("intbl", Word::intbl);
        t.emplace("nestcell", Word::nestcell);
        t.emplace("nestrow", Word::nestrow);
        t.emplace("clbrdrt", Word::clbrdrt);
        t.emplace("clbrdrl", Word::clbrdrl);
        t.emplace("clbrdrb", Word::clbrdrb);
        t.emplace("clbrdrr", Word::clbrdrr);
        t.emplace("pict", Word::pict);
        t.emplace("shppict", Word::shppict);
        t.emplace("nonshppict", Word::nonshppict);
        t.emplace("picw", Word::picw);
        t.emplace("pich", Word::pich);
        t.emplace("picwgoal", Word::picwgoal);
        t.emplace("pichgoal", Word::pichgoal);
        t.emplace("wmetafile", Word::wmetafile);
        t.emplace("dibitmap", Word::dibitmap);
        t.emplace("wbitmap", Word::wbitmap);
        t.emplace("wbmbitspixel", Word::wbmbitspixel);
        t.emplace("wbmplanes", Word::wbmplanes);
        t.emplace("wbmwidthbytes", Word::wbmwidthbytes);
        t.emplace("pngblip", Word::pngblip);
        t.emplace("jpegblip", Word::jpegblip);
        t.emplace("emfblip", Word::emfblip);
        t.emplace("macpict", Word::macpict);
        t.emplace("pmmetafile", Word::pmmetafile);
        t.emplace("bin", Word::bin);
        for (const QByteArray& d : skippedDestinations())
            t.emplace(std::string_view(d.constData(), static_cast<size_t>(d.size())), Word::SkippedDestination);
        return t;
    }();
    return table;
}

} // namespace hlp::rtf

namespace hlp {

bool isRtfDestination(QByteArrayView word)
{
    // The reader's own table, without a copy of the word: the RTF writer asks this for every
    // control word of the author's text.
    using rtf::Word;
    switch (rtf::wordTable().find(std::string_view(word.data(), static_cast<size_t>(word.size())))) {
    case Word::Unknown:
        return false; // every skipped destination is in the table
    case Word::SkippedDestination:
    case Word::footnote:
    case Word::fonttbl:
    case Word::colortbl:
    case Word::pict:
    case Word::shppict:
    case Word::nonshppict:
    case Word::object:
    case Word::result:
        return true;
    default: {
        // A word the reader knows that is also skipped as a destination (none so far).
        static const QSet<QByteArray> both = [] {
            QSet<QByteArray> s;
            for (const QByteArray& d : rtf::skippedDestinations())
                if (rtf::wordTable().find(std::string_view(d.constData(), static_cast<size_t>(d.size()))) != Word::SkippedDestination)
                    s.insert(d);
            return s;
        }();
        return !both.isEmpty() && both.contains(word.toByteArray());
    }
    }
}

} // namespace hlp

namespace hlp {

bool isKnownRtfWord(QByteArrayView word)
{
    return rtf::wordTable().find(std::string_view(word.data(), static_cast<size_t>(word.size()))) != rtf::Word::Unknown;
}

} // namespace hlp
