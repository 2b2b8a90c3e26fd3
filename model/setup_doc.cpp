#include "setup_doc.h"

#include <cstdlib>

#include "shared_value.h"

int randomBelow(int n) {
    return std::rand() % n;
}

void CSample::setRoot(std::int32_t v) {
    if (notes.empty()) {
        notes.push_back(v);
        return;
    }
    // In 64 bits so that a damaged chord far from v cannot overflow.
    notes.transposeAll(static_cast<std::int64_t>(v) - notes[0]);
}

int CSample::getAttribute(int code) const {
    switch (code) {
        case ATTR_ON:
            return on;
        case ATTR_NOTE:
            return notes.empty() ? 0 : static_cast<std::int16_t>(notes[0]);
        case ATTR_PROGRAM:
            return program;
        case ATTR_VELOCITY:
            return velocity;
        case ATTR_PAN:
            return pan;
        case ATTR_DURATION:
            return duration;
        default:
            return 0;
    }
}

void CSample::setAttribute(int code, int v) {
    switch (code) {
        case ATTR_ON:
            storeShared(on, v != 0 ? 1 : 0);
            break;
        case ATTR_NOTE:
            setRoot(static_cast<std::int16_t>(v));
            break;
        case ATTR_PROGRAM:
            storeShared(program, v);
            break;
        case ATTR_VELOCITY:
            storeShared(velocity, v);
            break;
        case ATTR_PAN:
            storeShared(pan, v);
            break;
        case ATTR_DURATION:
            storeShared(duration, v);
            break;
        default:
            break;
    }
}

void CSample::copyFrom(const CSample& other) {
    if (&other == this) {
        return;
    }
    storeShared(on, other.on);
    storeShared(program, other.program);
    storeShared(velocity, other.velocity);
    storeShared(pan, other.pan);
    storeShared(duration, other.duration);
    notes = other.notes;
}

void CSample::ensureRoot() {
    if (notes.empty()) {
        notes.push_back(0);
    }
}

CSetupDoc::CSetupDoc() {
    // The members above are already constructed in declaration order: strings empty, port
    // state, measures, clipboard and undo measures, then the scalar defaults. The random draws
    // come last and in this exact order, so that a setup made before the generator is seeded
    // is the same in every run.
    for (int i = 0; i < measureCount; ++i) {
        CMeasure& m = measures[i];
        m.nextMeasure = static_cast<std::int16_t>(i);
        m.repeatCount = 1;
        for (CSample& s : m.samples) {
            s.setRoot(randomBelow(128) - 60);
            s.program = static_cast<std::int16_t>(randomBelow(128));
            s.velocity = static_cast<std::int16_t>(randomBelow(128));
            s.pan = static_cast<std::int16_t>(randomBelow(128));
            s.duration = static_cast<std::int16_t>(randomBelow(128));
        }
    }
}

void randomizeSamples(CMeasure& measure) {
    for (CSample& s : measure.samples) {
        s.setRoot(randomBelow(128) - 60);
        storeShared(s.program, randomBelow(128));
        storeShared(s.velocity, randomBelow(128));
        storeShared(s.pan, randomBelow(128));
        storeShared(s.duration, randomBelow(17));
    }
}

void fillNewSetup(CSetupDoc& doc) {
    for (int i = 0; i < measureCount; ++i) {
        storeShared(doc.measures[i].nextMeasure, i);
        storeShared(doc.measures[i].repeatCount, 1);
        randomizeSamples(doc.measures[i]);
    }
    storeShared(doc.volume, 80);
    storeShared(doc.transpose, 0);
}
