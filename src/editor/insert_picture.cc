#include "editor/insert_picture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

namespace jb::editor {

QString InsertPictureFile(QTextEdit& editor, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("Cannot read %1").arg(path);
    const QByteArray bytes = file.readAll();
    const bool png = bytes.startsWith("\x89PNG");
    const bool jpeg = bytes.startsWith("\xFF\xD8");
    QImage image;
    if ((!png && !jpeg) || !image.loadFromData(bytes, png ? "PNG" : "JPEG") || image.isNull())
        return QStringLiteral("%1 is not a PNG or JPEG picture").arg(path);

    const QString name =
        QStringLiteral("jbimage:") +
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()) +
        (png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    editor.document()->addResource(QTextDocument::ImageResource, QUrl(name), bytes);
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(image.width());
    f.setHeight(image.height());
    QTextCursor c = editor.textCursor();
    c.insertImage(f);
    editor.setTextCursor(c);
    return {};
}

}  // namespace jb::editor
