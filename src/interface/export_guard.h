#pragma once
// Shared by the exported C functions: handle conversion and the catch-all
// that keeps every exception on this side of the C interface.

#include <utility>

#include "session/import_session.h"
#include "vlmidiin.h"

namespace vl {

inline ImportSession* sessionOf(::ImportSession* handle) {
    return reinterpret_cast<ImportSession*>(handle);
}

inline ::ImportSession* handleOf(ImportSession* session) {
    return reinterpret_cast<::ImportSession*>(session);
}

// Runs body and returns its result, or fallback when it throws.
template <class Result, class Body>
Result guarded(Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void guardedVoid(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

// Runs body(session) for a non-null handle; fallback for a null one.
template <class Result, class Body>
Result withSession(::ImportSession* handle, Result fallback, Body&& body) noexcept {
    ImportSession* session = sessionOf(handle);
    if (session == nullptr) return fallback;
    return guarded(fallback, [&] { return std::forward<Body>(body)(*session); });
}

inline vlBool toBool(bool b) { return b ? 1 : 0; }

}  // namespace vl
