#include "platform/host_messages.h"

namespace vl {

namespace {
VlMessageHandler registeredHandler = nullptr;
}  // namespace

void setHostMessageHandler(VlMessageHandler handler) { registeredHandler = handler; }

VlMessageHandler hostMessageHandler() { return registeredHandler; }

intptr_t sendHostMessage(void* window, uint32_t message, const VlProgressReport& report) {
    if (window == nullptr || registeredHandler == nullptr) return 0;
    return registeredHandler(window, message, 0, reinterpret_cast<intptr_t>(&report));
}

}  // namespace vl
