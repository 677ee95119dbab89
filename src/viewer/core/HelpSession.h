#pragma once
// One help opened in the viewer, and every question the viewer's windows ask of it: which topic a
// context string or number opens, the browse sequence, the contents tree, the keyword index, the
// full-text search, and what a macro hot spot does. Plain data, no widget.
#include "winhelp/model/BrowseSequence.h"
#include "winhelp/model/LoadedHelp.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <vector>

namespace viewer {

// A line of the contents: a book (topic -1) or a topic, at its depth (0 at the top).
struct ContentsNode {
    QString text;
    int topic = -1;
    int depth = 0;
    QByteArray window; // opens in this window, else the main one
};

// One keyword of the index and the topics it leads to, in the order of the file.
struct Keyword {
    QString text;
    std::vector<int> topics;
};

// What a macro hot spot asks the viewer to do.
struct MacroAction {
    enum class Kind { Jump, Popup, Back, Contents, Search, Next, Prev, Keywords, OtherFile };
    Kind kind = Kind::Jump;
    int topic = -1;              // Jump, Popup
    QByteArray window;           // Jump: a secondary window
    QString file;                // OtherFile: the help file, beside this one
    QByteArray context;          // OtherFile: the context string (empty: its contents)
    QStringList keywords;        // Keywords: the topics of these keywords
    bool firstOnly = false;      // Keywords: go to the first topic at once (JumpKeyword)
};

struct MacroPlan {
    std::vector<MacroAction> actions; // in the order written
    QStringList unavailable;          // names of the macros the viewer has no equivalent for
    QStringList missing;              // targets the help does not define
};

class HelpSession {
public:
    // `path`: the file it was read from (its folder holds the other help files macros may name).
    HelpSession(std::shared_ptr<const hlp::LoadedHelp> help, const QString& path);

    const hlp::LoadedHelp& help() const { return *m_help; }
    std::shared_ptr<const hlp::LoadedHelp> shared() const { return m_help; }
    const QString& path() const { return m_path; }
    int topicCount() const { return static_cast<int>(m_help->document.topics.size()); }
    int contentsTopic() const { return m_help->contentsTopic; }

    // The help's text in characters.
    QString text(const QByteArray& bytes) const { return m_codePage.decode(bytes); }
    // The title a help window shows: the help's own title, else the file's name.
    QString title() const;
    // A topic's title, else its first context string, else "Rubrique N".
    QString topicTitle(int topic) const;
    // The window definition of that name (letter case ignored), or null; "main" for the main window.
    const hlp::WindowDef* window(const QByteArray& name) const;

    // -1 when the help has no such topic. Context strings ignore the case of ASCII letters, as the
    // viewers of the format do; aliases lead to their topics.
    int topicForContext(QByteArrayView context) const;
    int topicForNumber(std::uint32_t number) const;
    // A context given by a person or a program: a number of [MAP] (decimal or 0x...), else a
    // context string.
    int topicForArgument(const QString& context) const;

    hlp::BrowseNeighbours browse(int topic) const;

    // The contents: the .cnt tree when the help has one, else the tree its links make.
    const std::vector<ContentsNode>& contents() const;

    // The keyword index, sorted as a French reader expects (case and accents aside).
    const std::vector<Keyword>& keywords() const;
    // The keywords a filter keeps: those that begin with it, case and accents aside (all for an
    // empty filter). Indexes into keywords().
    std::vector<int> filterKeywords(const QString& filter) const;
    // The topics of one or more keywords (each once, in order); unknown keywords give none.
    std::vector<int> keywordTopics(const QStringList& keywords) const;

    // Topics holding every word of `words` (case and accents aside): those whose title holds them
    // all first, then those whose text does.
    std::vector<int> search(const QString& words) const;

    // What a hot spot's macros do, read from `macros` for a hot spot of topic `current`.
    MacroPlan macros(const QByteArray& macros, int current) const;

    // A text folded for comparisons: small letters, accents removed.
    static QString fold(const QString& text);

private:
    void buildContents() const;
    void buildKeywords() const;
    void buildSearchText() const;
    bool isThisFile(const QByteArray& file) const;

    std::shared_ptr<const hlp::LoadedHelp> m_help;
    QString m_path;
    hlp::CodePage m_codePage;
    std::unordered_map<QByteArray, int> m_contexts; // upper-cased context string -> topic
    std::unordered_map<std::uint32_t, int> m_numbers;
    std::vector<hlp::BrowseNeighbours> m_browse;
    mutable bool m_contentsBuilt = false;
    mutable std::vector<ContentsNode> m_contents;
    mutable bool m_keywordsBuilt = false;
    mutable std::vector<Keyword> m_keywords;
    mutable std::vector<QString> m_keywordKeys; // folded, for the filter
    mutable std::vector<QString> m_titleText;   // folded, per topic
    mutable std::vector<QString> m_bodyText;
};

// Back and forward through the topics seen.
class History {
public:
    void visit(int topic);
    bool canGoBack() const { return m_at > 0; }
    bool canGoForward() const { return m_at + 1 < static_cast<int>(m_topics.size()); }
    int back();    // the topic to show, or -1
    int forward();
    int current() const { return m_at >= 0 ? m_topics[static_cast<size_t>(m_at)] : -1; }
    void clear();

private:
    std::vector<int> m_topics;
    int m_at = -1;
};

} // namespace viewer
