#pragma once
// A whole import as the host sees it, written out as stable text: the file is
// opened, transcribed and walked through the C interface only, and every item
// becomes one line with its raw bytes and its description.
//
//   strands 1
//   start
//     keysig 1 0 00 00 | Key signature: 0
//   guide
//     barline 1 0 00 00 | Barline
//   strand 0 voicing progchange 1 0 ff 00
//     clef 1 1 00 00 | Totally unknown item
//     midinote 1 60 03 00 |  Crotchet 3c
//
// Item line: type name, action, arg1 in decimal, arg2 and arg3 in hex (they
// hold note-value codes and flags), then the description. Text items show
// their text in quotes instead of the three argument bytes.

#include <string>

#include "vlmidiin.h"

namespace vl::test {

// One item as a dump line (without indentation or newline).
std::string itemLine(ImportSession* session, const ImportItem& item);

// Opens path, transcribes it and dumps the start items, the guide strand and
// every strand. A file that does not open gives "open failed\n".
std::string importDump(const std::string& path);

}  // namespace vl::test
