// Injected failures for tests: the Nth write, sync or rename of the process fails as a full disk
// would. Steered through platform/testing.h, or for a program started by a test through the
// environment variable EUDC_TEST_FAULT ("write:3", "sync:1", "rename:2"), read once.
#pragma once
#include "platform/testing.h"

namespace platform::faults {

// Counts one operation of the kind; true when this one is to fail.
bool Hit(testing::FaultKind kind);

}  // namespace platform::faults
