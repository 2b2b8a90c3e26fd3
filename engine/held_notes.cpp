#include "held_notes.h"

void CHeldNoteList::add(std::int32_t note, std::int32_t steps) {
    for (CHeldNote& r : records_) {
        if (r.note == note) {
            r.remaining = steps;
            return;
        }
    }
    CHeldNote r;
    r.note = note;
    r.remaining = steps;
    records_.push_back(r);
}

std::string CHeldNoteList::text() const {
    std::string out;
    for (const CHeldNote& r : records_) {
        out += std::to_string(r.note) + ":" + std::to_string(r.remaining) + "  ";
    }
    return out;
}
