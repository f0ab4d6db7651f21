#pragma once
// Delivery of window messages to the host: the host registers one message
// function, and the library calls it for a host window it was given.

#include <cstdint>

#include "vlmidiin.h"

namespace vl {

// Registers the host's message function; nullptr unregisters it.
void setHostMessageHandler(VlMessageHandler handler);
VlMessageHandler hostMessageHandler();

// Calls the handler with (window, message, 0, address of report) and returns
// its reply. Nothing is called and the reply is 0 while window is null or no
// handler is registered.
intptr_t sendHostMessage(void* window, uint32_t message, const VlProgressReport& report);

}  // namespace vl
