#include "store/LessonStore.h"

#include "platform/OrdinaryFile.h"

#include <QCryptographicHash>
#include <QFile>

QString PictureKey(const QString &path, QString *error)
{
    QFile file;
    QString reason;
    // An ordinary file only: reading a pipe named like a picture could wait forever.
    if (!OpenOrdinaryFile(file, path, &reason)) {
        if (error)
            *error = reason;
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    qint64 size = 0;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            if (error)
                *error = file.errorString();
            return {};
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), n));
        size += n;
    }
    return QStringLiteral("p:") + QString::number(size) + QLatin1Char(':') + QString::fromLatin1(hash.result().toHex());
}

QString WordKey(const QByteArray &listContent, int line)
{
    return QStringLiteral("w:")
           + QString::fromLatin1(QCryptographicHash::hash(listContent, QCryptographicHash::Sha1).toHex())
           + QLatin1Char(':') + QString::number(line);
}

QString DocumentKey(const QByteArray &documentContent)
{
    return QStringLiteral("d:") + QString::number(documentContent.size()) + QLatin1Char(':')
           + QString::fromLatin1(QCryptographicHash::hash(documentContent, QCryptographicHash::Sha1).toHex());
}

QString PageKey(const QString &documentKey, int page) { return documentKey + QLatin1Char(':') + QString::number(page); }

QString BoardKey() { return QStringLiteral("board"); }
