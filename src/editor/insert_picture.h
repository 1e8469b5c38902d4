#pragma once
// Insert object: a PNG or JPEG picture from a file goes in at the caret. The document keeps the
// file's encoded bytes as an image resource named "jbimage:<md5>" (with ".png" or ".jpg"), the
// form the RTF bridge writes as a picture of the page.

#include <QString>

class QTextEdit;

namespace jb::editor {

// The filter of the file dialog that picks a picture.
inline constexpr const char* kPictureFileFilter = "Pictures (*.png *.jpg *.jpeg)";

// Inserts the picture in `path` at the caret (replacing the selection). Returns an empty text
// on success, else what went wrong ("Cannot read <path>", "<path> is not a PNG or JPEG
// picture"); the editor is unchanged then.
QString InsertPictureFile(QTextEdit& editor, const QString& path);

}  // namespace jb::editor
