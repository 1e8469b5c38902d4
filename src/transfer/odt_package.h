#pragma once
// Qt's OpenDocument writer leaves out the package's styles.xml, which the format allows but
// some readers (pandoc among them) require. This adds an empty one to the finished package.

#include <QByteArray>

namespace jb::transfer {

// Appends a stored "styles.xml" holding no styles to the zip package `odt`. False, with `odt`
// unchanged, when the package is not a plain zip this can extend.
bool AddEmptyStyles(QByteArray& odt);

}  // namespace jb::transfer
