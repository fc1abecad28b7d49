// The answer record: 139 numbered slots, one per line of the result file.
#pragma once

#include "survey/ResultFileFormat.h"

#include <QString>
#include <array>

class AnswerRecord {
public:
    static constexpr int kSlotCount = Survey::kLineCount;

    // Slot numbers run from 1 to 139, as the lines of the result file.
    void set(int slot, const QString &text);
    const QString &get(int slot) const;
    void clear();

private:
    static int index(int slot);
    std::array<QString, kSlotCount> slots_;
};
