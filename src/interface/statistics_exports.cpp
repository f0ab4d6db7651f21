// Statistics of the file a session holds: the record for the host, and the
// "MIDI Statistics" dialog. Dialog resources need no switching here: the
// dialog models live in this library.
#include <algorithm>

#include "dialogs/statistics_dialog.h"
#include "dialogs/statistics_record.h"
#include "interface/export_guard.h"

using vl::toBool;
using vl::withSession;

extern "C" {

// The record is computed whole before any of it is copied, so a failure
// leaves the host's record untouched. Entry 0 is copied only for a file with
// a track. A null record is answered like a null handle.
VLMIDIIN_API vlBool VlMidiStatisticsCompute(ImportSession* h, int32_t record[29]) {
    if (record == nullptr) return 0;
    return withSession(h, vlBool{0}, [&](vl::ImportSession& s) {
        vl::StatisticsValues values{};
        const bool hasTrack = vl::computeStatistics(s.analysis().tracks(), values);
        const std::size_t first = hasTrack ? 0 : 1;
        std::copy(values.begin() + first, values.end(), record + first);
        return toBool(hasTrack);
    });
}

VLMIDIIN_API vlBool VlMidiStatisticsShow(ImportSession* h) {
    return withSession(h, vlBool{0}, [&](vl::ImportSession& s) {
        return toBool(vl::showStatistics(vl::currentDialogRunner(), s.analysis().tracks()));
    });
}

}  // extern "C"
