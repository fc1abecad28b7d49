// An output written safely: to a temporary file beside the target, renamed
// into place only when everything has been written. An earlier file of the
// same name stays as it was until then; a failure leaves nothing behind.
#pragma once

#include <QByteArray>
#include <QString>

class SafeOutput {
public:
    explicit SafeOutput(const QString &target);
    ~SafeOutput(); // removes the temporary file unless committed
    SafeOutput(const SafeOutput &) = delete;
    SafeOutput &operator=(const SafeOutput &) = delete;

    // Creates the temporary file. False (with error()) when the target's
    // folder does not exist, cannot be written, or the target is a folder.
    bool open();

    const QString &target() const { return target_; }
    // The temporary file, in the file system's encoding, for libraries that open it by name.
    const QByteArray &temporaryPath() const { return temporary_; }

    // Appends bytes through a buffer; false once anything failed.
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }

    // Flushes and closes the temporary file.
    bool finish();
    // Renames the finished temporary file over the target.
    bool commit();
    // Removes the temporary file.
    void discard();

    bool failed() const { return !error_.isEmpty(); }
    // Why it failed, in Chinese with the system's reason.
    const QString &error() const { return error_; }
    void fail(const QString &why);

private:
    bool flush();
    bool writeAll(const char *data, qsizetype size);
    void failWith(int code);

    QString target_;
    QByteArray targetNative_;
    QByteArray temporary_;
    QByteArray buffer_;
    int fd_ = -1;
    bool committed_ = false;
    QString error_;
};
