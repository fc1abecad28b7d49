// What a folder holds, for tests that look for files left behind.
#pragma once

#include <QDir>
#include <QStringList>

// The files and folders in a folder, hidden ones too, by name: a temporary
// file left behind shows here.
inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot,
                                  QDir::Name);
}
