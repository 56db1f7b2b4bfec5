// layrix: maintains Flight Simulator's scenery library (scenery.cfg).
#include "app/run.h"

#include "platform/platform.h"

int main(int argc, char** argv) { return app::RunLayrix(plat::CommandLineWords(argc, argv)); }
