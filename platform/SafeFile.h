// A file that people keep, written the one safe way: into a new temporary
// file beside the target, every write, the sync to disk and the close
// checked, then renamed over the target in one step and the folder synced.
// Until then an earlier file of that name stays whole; a failure, a kill or a
// signal leaves at most the hidden temporary, which the destructor removes
// when it can; a power cut leaves the earlier file or the new one, whole.
#pragma once

#include "platform/FileSystemCalls.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class SafeFile {
public:
    explicit SafeFile(const QString &target, FileSystemCalls &calls = FileSystemCalls::system());
    // Native path form, for targets whose names are kept as the file system gave them.
    explicit SafeFile(const QByteArray &nativeTarget, FileSystemCalls &calls = FileSystemCalls::system());
    ~SafeFile(); // removes the temporary file unless committed
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // A temporary file's name: hidden, the tag, a random part and a fixed
    // end (".csr-collect-Ab12Cd.tmp"), so that no name a person would give
    // a file is taken for one.
    static constexpr const char *kTemporaryPrefix = ".csr-";
    static constexpr const char *kTemporarySuffix = ".tmp";
    // Whether name is that of a temporary file that open(tag) makes, and nothing else.
    static bool isTemporaryName(QByteArrayView name, const char *tag);

    // Checks that the target may be replaced and creates the temporary file.
    // tag names the program in the temporary's name.
    bool open(const char *tag = "file");

    // Appends bytes through a buffer; false once anything failed.
    bool write(const char *data, qsizetype size);
    bool write(QByteArrayView bytes) { return write(bytes.data(), bytes.size()); }

    // Writes what is buffered, syncs and closes the temporary file, all
    // checked. A library may then write the temporary file by name (Windows
    // lets no second writer open a file this one holds).
    bool finish();
    // finish() (or, after it, a sync of what a library wrote by name): the
    // new file is whole on the disk and waits only for its rename.
    bool ready();
    // ready(), then renames the temporary file over the target and syncs the
    // folder: once it returns true, the new file outlives a power cut. Later:
    // the caller syncs the folder (once, after renaming several files there).
    enum class FolderSync { Now, Later };
    bool commit(FolderSync folderSync = FolderSync::Now);
    // Removes the temporary file; the target is not touched.
    void discard();

    bool failed() const { return error_ != 0 || !reason_.isEmpty(); }
    bool isCommitted() const { return committed_; }
    // The system's error code of the first failure; 0 while none, or when the
    // failure was the caller's.
    int errorCode() const { return error_; }
    // Why it failed, in words for people (see FileSystemCalls::describe).
    QString errorText() const;
    // Marks the file as failed for a reason of the caller's (a library's own error).
    void fail(const QString &reason);

    // The temporary file, for libraries that write a file by name (after
    // finish()): ready() syncs it again by that name, which a file this one
    // wrote and synced itself does not need.
    const QByteArray &temporaryPath()
    {
        writtenByName_ = true;
        return temporary_;
    }

private:
    bool flushBuffer();
    bool check(int code);

    FileSystemCalls &calls_;
    QByteArray target_;
    QByteArray temporary_;
    QByteArray buffer_;
    FileSystemCalls::Handle file_ = -1;
    bool open_ = false;
    bool ready_ = false;
    bool writtenByName_ = false;
    bool committed_ = false;
    int error_ = 0;
    QString reason_;
};
