// A freshly loaded library with the in-memory display reset to its defaults.
#pragma once

#include <gtest/gtest.h>

#include "platform/memory/memory_display.h"
#include "tests/support/library_fixture.h"

namespace ruvo::test {

namespace memory = platform::memory;

class DisplayTest : public LibraryTest {
  protected:
    void SetUp() override {
        memory::ResetControl();
        LibraryTest::SetUp();
    }
    void TearDown() override {
        op->CloseDisplay();
        memory::ResetControl();
    }

    static memory::MemoryDisplayControl &Platform() { return memory::Control(); }
    static const memory::MemoryDisplayCalls &Calls() { return memory::Control().calls; }

    // Open and Ready, with the control's format; counts start from here.
    void OpenReady(int32_t width = 1024, int32_t height = 768, int32_t exclusive = 0) {
        ASSERT_EQ(op->OpenDisplay(nullptr, exclusive), 1);
        ASSERT_EQ(op->SetScreenMode(width, height), 1);
        Platform().calls = {};
    }
};

}  // namespace ruvo::test
