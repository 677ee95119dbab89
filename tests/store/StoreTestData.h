#pragma once
// Small documents for the store's tests, built line by line.
#include "store/core/Blocks.h"

#include <QStringList>

namespace storetest {

inline QString title(const char* t) { return QString::fromUtf8(t) + store::TitleEndMark; }

inline QStringList topic(int n, const char* keywordLine, const char* t, QStringList body)
{
    QStringList out{store::topicOpenTag(n), QString::fromUtf8(keywordLine), title(t)};
    out << body << store::topicCloseTag(n);
    return out;
}

inline QStringList popup(int n, const char* t, QStringList body)
{
    QStringList out{store::popupOpenTag(n), QString::fromUtf8(t) + store::BlockNumber(n) + store::TitleEndMark};
    out << body << store::popupCloseTag(n);
    return out;
}

} // namespace storetest
