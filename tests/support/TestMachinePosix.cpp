// Placeholder until the POSIX test machine lands.
#include "TestMachine.h"
