#pragma once

namespace vantrel {

// Creates the windows in their order, runs the message loop and returns its exit code.
int runProgram(int argc, char** argv);

} // namespace vantrel
