// voq-icon-writer DIR: writes the program's icon into DIR as the freedesktop icon
// theme lays it out (DIR/NxN/apps/voq-upgrade.png), for the desktop's menus and
// the package. The picture is the 32-pixel one the windows show; whole multiples
// keep its pixels sharp, the in-between sizes are smoothed.

#include <QDir>
#include <QImage>
#include <cstdio>

#include "ui/icons/phone_286.xpm"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: voq-icon-writer DIR\n");
        return 2;
    }
    const QImage icon(phone_286_xpm);
    if (icon.isNull()) {
        std::fprintf(stderr, "voq-icon-writer: the icon could not be read\n");
        return 1;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1/%2x%2/apps").arg(root).arg(size);
        const Qt::TransformationMode mode =
            size % icon.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
        const QImage scaled =
            icon.convertToFormat(QImage::Format_ARGB32).scaled(size, size, Qt::IgnoreAspectRatio, mode);
        if (!QDir().mkpath(folder) || !scaled.save(folder + "/voq-upgrade.png", "PNG")) {
            std::fprintf(stderr, "voq-icon-writer: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
