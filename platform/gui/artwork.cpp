#include "platform/gui/artwork.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <map>
#include <memory>
#include <string>

namespace platform {

namespace {

QString artworkPath(std::string_view name, const char* suffix) {
    return QStringLiteral(":/artwork/") +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
           QString::fromLatin1(suffix);
}

std::optional<QBitmap> loadXbm(const QString& path) {
    QImage image;
    if (!QFile::exists(path) || !image.load(path, "XBM")) {
        return std::nullopt;
    }
    return QBitmap::fromImage(image, Qt::ThresholdDither);
}

// The hot spot is read from the XBM text itself: the image reader does not report it.
int xbmDefine(const QString& path, const char* field) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QString text = QString::fromLatin1(file.readAll());
    const QRegularExpression re(
        QStringLiteral("#define\\s+\\w*_%1\\s+(\\d+)").arg(QString::fromLatin1(field)));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace

std::optional<QBitmap> loadBitmapResource(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    return loadXbm(artworkPath(name, ".xbm"));
}

const QCursor* loadCursorResource(std::string_view name) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    static std::map<std::string, std::unique_ptr<QCursor>, std::less<>> cursors;
    if (auto it = cursors.find(name); it != cursors.end()) {
        return it->second.get();
    }
    std::unique_ptr<QCursor> cursor;
    const QString path = artworkPath(name, ".xbm");
    const std::optional<QBitmap> image = loadXbm(path);
    const std::optional<QBitmap> mask = loadXbm(artworkPath(name, "_mask.xbm"));
    if (image && mask && image->size() == mask->size()) {
        cursor = std::make_unique<QCursor>(*image, *mask, xbmDefine(path, "x_hot"),
                                           xbmDefine(path, "y_hot"));
    }
    const QCursor* result = cursor.get();
    cursors.emplace(std::string(name), std::move(cursor));
    return result;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/artwork/icon128_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace platform
