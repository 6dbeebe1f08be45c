#include "state/Program.h"

#include "state/HeadlessWindow.h"

namespace tessarin {

Program::Program(OperationEvents& events) : headless_(std::make_unique<HeadlessWindow>(events)), ui(*headless_) {}

Program::~Program() = default;

}  // namespace tessarin
