// The program's one application object, built before the entry function
// runs and living for the whole process.
#include "app/UpdaterApp.h"

UpdaterApp theApp;
