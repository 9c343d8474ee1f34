// Unix: a program's standard streams are its terminal's already, window or not.
#include "ParentConsole.h"

namespace ParentConsole {

void attach() {}
void release() {}

} // namespace ParentConsole
