#pragma once
// The file the viewer tests walk: a conductor track in 4/4, a melody (channel
// 0, track name "Melody": four crotchets 72 74 76 77, two minims 79) and a
// bass line (channel 1: semibreves 48 and 43). Two strands, two bars each.

#include "support/smf_builder.h"

namespace vl::test {

inline Bytes twoStrandFile() {
    SmfBuilder b;
    b.format(1).division(96).track().timeSignature(0, 4, 2).endTrack(96 * 8);
    b.track().trackName(0, "Melody");
    for (uint8_t key : {72, 74, 76, 77}) b.noteOn(0, 0, key, 100).noteOff(96, 0, key);
    b.noteOn(0, 0, 79, 100).noteOff(192, 0, 79).noteOn(0, 0, 79, 100).noteOff(192, 0, 79);
    b.endTrack();
    b.track();
    b.noteOn(0, 1, 48, 100).noteOff(384, 1, 48).noteOn(0, 1, 43, 100).noteOff(384, 1, 43);
    b.endTrack();
    return b.bytes();
}

}  // namespace vl::test
