#pragma once

#include <QString>
#include <QStringView>

namespace veldrin {

// One row of the domain record's rewriting: every occurrence of `find` becomes `replacement`
// (nothing, for a deletion).
struct Replacement
{
    QStringView find;
    QStringView replacement;
};

// The record's English labels (and the words that stand in values too) rewritten into
// Chinese, row after row in their fixed order, each row a plain case-sensitive replace-all
// with no word boundaries over what the rows before it left. `siteName`, the whois service's
// own name as its pages show it, is deleted where its row stands.
QString rewriteWhoisRecord(QString record, QStringView siteName);

} // namespace veldrin
