// layrix: maintains Flight Simulator's scenery library (scenery.cfg).
#include "app/Frontend.h"
#include "platform/platform.h"

int main(int argc, char** argv) { return app::RunLayrix(plat::CommandLineWords(argc, argv)); }
