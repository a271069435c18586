// One table row per control a window must have, in the order of creation, and the loop that
// compares the fake's window store with it; shared by the welcome and progress window tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake.h"
#include "state.h"
#include "windows.h"

namespace test {

struct ExpectedControl {
    const char* className;
    bool hasText;  // false: made with a null text
    std::string text;
    DWORD style, exStyle;
    int x, y, width, height;
    HWND InstallerState::*field;  // null: not kept
    HFONT InstallerState::*font;  // null: no font
};

inline void ExpectControls(HWND parent, const std::vector<ExpectedControl>& controls) {
    std::vector<HWND> children = fake::ChildWindows(parent);
    ASSERT_EQ(controls.size(), children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& e = controls[i];
        const fake::WindowRecord& got = fake::Window(children[i]);
        std::string row = "row " + std::to_string(i + 1) + " (" + e.text + ")";
        EXPECT_EQ(e.className, got.className) << row;
        EXPECT_EQ(e.hasText, got.hasText) << row;
        EXPECT_EQ(e.text, got.text) << row;
        EXPECT_EQ(fake::Hex(e.style), fake::Hex(got.style)) << row;
        EXPECT_EQ(fake::Hex(e.exStyle), fake::Hex(got.exStyle)) << row;
        EXPECT_EQ(e.x, got.x) << row;
        EXPECT_EQ(e.y, got.y) << row;
        EXPECT_EQ(e.width, got.width) << row;
        EXPECT_EQ(e.height, got.height) << row;
        EXPECT_EQ(nullptr, got.menu) << row << ": identifier must be 0";
        EXPECT_EQ(fake::ModuleInstance(), got.instance) << row;
        EXPECT_TRUE(got.visible) << row << ": CreateChild shows every control";
        if (e.field) EXPECT_EQ(children[i], installer.*e.field) << row;
        EXPECT_EQ(e.font ? installer.*e.font : nullptr, got.font) << row;
        EXPECT_FALSE(got.fontRedraw) << row;
    }
}

}  // namespace test
