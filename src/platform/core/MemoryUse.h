#pragma once
// How the program's memory is kept between its large operations.

namespace memoryuse {

// A ten-thousand-topic document makes and drops buffers of tens of megabytes at every export and
// build. Kept in the process once freed rather than returned to the system, they are not cleared
// page by page by the system each time they come back. Called once at the start of each program.
void keepLargeBuffers();

} // namespace memoryuse
