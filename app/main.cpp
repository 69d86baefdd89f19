#include "Startup.h"

int main(int argc, char** argv) { return RunKalvora(argc, argv); }
