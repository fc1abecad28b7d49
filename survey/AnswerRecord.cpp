// Slots numbered as the lines of the file. A number outside them throws: it is
// a fault of the code, never of the answers.
#include "survey/AnswerRecord.h"

#include <stdexcept>
#include <string>

int AnswerRecord::index(int slot)
{
    if (slot < 1 || slot > kSlotCount)
        throw std::out_of_range("answer slot " + std::to_string(slot) + " does not exist");
    return slot - 1;
}

void AnswerRecord::set(int slot, const QString &text)
{
    slots_[size_t(index(slot))] = text;
}

const QString &AnswerRecord::get(int slot) const
{
    return slots_[size_t(index(slot))];
}

void AnswerRecord::clear()
{
    for (QString &slot : slots_)
        slot.clear();
}
