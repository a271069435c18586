// Helpers for tests that watch the process end: the fake ExitProcess throws fake::ProcessExit.
#pragma once
#include <optional>
#include <string>

#include "fake.h"

namespace test {

// The exit code when the action ended the process; nothing when it returned.
template <typename Action>
std::optional<UINT> ExitCodeOf(Action action) {
    try {
        action();
    } catch (const fake::ProcessExit& end) {
        return end.exitCode;
    }
    return std::nullopt;
}

// The unhandled-error box names the code address of the failure, which a test cannot know:
// the eight capital hex digits after " bei " become "########". A text without them is
// returned unchanged, so that a comparison shows what came instead.
inline std::string MaskFailureAddress(const std::string& box) {
    const std::string marker = " bei ";
    size_t at = box.find(marker);
    if (at == std::string::npos || box.size() < at + marker.size() + 8) return box;
    at += marker.size();
    for (size_t i = at; i < at + 8; ++i) {
        char c = box[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return box;
    }
    return box.substr(0, at) + "########" + box.substr(at + 8);
}

}  // namespace test
