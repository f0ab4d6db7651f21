// Backward steps through strands and items, used by the item viewer. Not built yet.
#include "session/import_session.h"

namespace vl {

bool ImportSession::getPreviousItem(ImportItem*) { return false; }
bool ImportSession::getPreviousStrand() { return false; }

}  // namespace vl
