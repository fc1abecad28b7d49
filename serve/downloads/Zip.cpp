#include "serve/downloads/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

namespace Serve::Downloads {

namespace {

QString zipError(zip_t *archive)
{
    return QString::fromLocal8Bit(zip_strerror(archive));
}

bool addFile(zip_t *archive, const QFileInfo &file, const QString &inArchive, QString *error)
{
    zip_source_t *source = zip_source_file(archive, QFile::encodeName(file.absoluteFilePath()).constData(), 0, -1);
    const zip_int64_t index =
        source ? zip_file_add(archive, inArchive.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        if (source)
            zip_source_free(source);
        *error = QStringLiteral("无法放入压缩文件：%1（%2）").arg(file.fileName(), zipError(archive));
        return false;
    }
    // The files are kept as they are: GBK text compresses well, and every tool can read deflate.
    zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 6);
    zip_file_set_mtime(archive, zip_uint64_t(index), time_t(file.lastModified().toSecsSinceEpoch()), 0);
    return true;
}

} // namespace

bool zipFolder(const QString &folder, const QString &folderName, const QString &path, const std::atomic<bool> &cancelled,
               QString *error)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!archive) {
        zip_error_t why;
        zip_error_init_with_code(&why, code);
        *error = QStringLiteral("无法建立压缩文件：%1").arg(QString::fromLocal8Bit(zip_error_strerror(&why)));
        zip_error_fini(&why);
        return false;
    }
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    bool added = zip_dir_add(archive, folderName.toUtf8().constData(), ZIP_FL_ENC_UTF_8) >= 0;
    if (!added)
        *error = QStringLiteral("无法建立压缩文件：%1").arg(zipError(archive));
    for (qsizetype i = 0; added && i < files.size(); ++i)
        added = !cancelled.load() && addFile(archive, files[i], folderName + QLatin1Char('/') + files[i].fileName(), error);
    // The archive is written only at its close, from the files added.
    if (added && zip_close(archive) == 0)
        return true;
    if (added)
        *error = QStringLiteral("无法写入压缩文件：%1").arg(zipError(archive));
    zip_discard(archive);
    QFile::remove(path);
    return false;
}

} // namespace Serve::Downloads
