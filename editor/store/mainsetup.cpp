#include "mainsetup.h"

MainSetupState MainSetup;

void MainSetupReset() { MainSetup = MainSetupState(); }
