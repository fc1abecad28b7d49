// A draft: the whole state of a filling-in that is not saved yet, and its
// plain-text form (UTF-8, with a version number).
#pragma once

#include "survey/ResultFileFormat.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

struct Draft {
    static constexpr int kVersion = 1;
    // The most bytes a draft may have: each text of the largest result file,
    // in its field and in its line, escaped (a backslash takes two bytes).
    static constexpr qint64 kMaxBytes = 4 * Survey::kMaxFileBytes + (qint64(1) << 20);

    QDateTime savedAt;
    QStringList lines;               // the answer record: 139 texts
    QMap<QString, QString> controls; // "Form3/Edit1" -> text, list index, or "1" for a tick
    QString ranking;                 // question 21's letters in ticking order
    int page = 0;                    // the shell's page index
    int tab = 0;                     // the tab on that page
    QByteArray source;               // a reopened result file's path, as the file system gives it

    Draft();

    // True when anything was answered: a line or a control holds something.
    bool holdsAnswers() const;

    QByteArray toText() const;

    // Why a text could not be read as a draft.
    enum class Fault { None, Empty, NotADraft, NewerVersion, Damaged, CutOff };
    struct Parsed;
    static Parsed fromText(const QByteArray &text);

    static QString controlKey(const QString &page, const QString &control);
};

struct Draft::Parsed {
    Draft draft;
    Fault fault = Fault::None;
    QString reason; // for people
    bool ok() const { return fault == Fault::None; }
};
