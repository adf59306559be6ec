#pragma once

namespace quillora::testing_support {

// Ends the test program with exit code 3 when one test runs longer than `limitMs` (a modal box
// nobody answers), naming the test, instead of letting it block the run.
void StartWatchdog(long long limitMs);

}  // namespace quillora::testing_support
