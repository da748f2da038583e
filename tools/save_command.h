// reelbox save: a program saved onto a TAP or TZX file on the reference host.
#pragma once

namespace reelbox::tools {

int SaveCommand(int argc, char** argv);
void PrintSaveHelp();

}  // namespace reelbox::tools
