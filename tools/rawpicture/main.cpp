// rawpicture IN.png OUT.raw: a picture as its premultiplied 32-bit pixels
// after a header of its width and height (two 32-bit little-endian numbers),
// for pictures the program shows before anything else and so must not wait
// for an image decoder to start up.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: rawpicture IN.png OUT.raw\n");
        return 2;
    }
    const QImage img = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) {
        std::fprintf(stderr, "rawpicture: cannot read %s\n", argv[1]);
        return 1;
    }
    const quint32 size[2] = {qToLittleEndian(quint32(img.width())), qToLittleEndian(quint32(img.height()))};
    QByteArray out(reinterpret_cast<const char *>(size), sizeof size);
    for (int y = 0; y < img.height(); ++y)
        out.append(reinterpret_cast<const char *>(img.constScanLine(y)), qsizetype(img.width()) * 4);
    QFile f(QString::fromLocal8Bit(argv[2]));
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) {
        std::fprintf(stderr, "rawpicture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
