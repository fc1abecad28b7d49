// What the folder calls of every system share: a path's place from its
// folder's status, and the names of a merge's own files.
#include "platform/Folders.h"

#include "platform/FileSystemCalls.h"
#include "platform/SafeFile.h"

namespace Folders {

Place placeOf(const QByteArray &path)
{
    const QByteArray folder = FileSystemCalls::nativeFolderOf(path);
    const Status status = Folders::status(folder.isEmpty() ? QByteArray(".") : folder);
    const QByteArray name = path.mid(folder.size());
    return status.error == 0 ? placeIn(status, name) : Place{.name = name};
}

bool isWorkingFile(const QByteArray &name)
{
    return SafeFile::isTemporaryName(name, kTemporaryTag) || name == kLockName;
}

} // namespace Folders
