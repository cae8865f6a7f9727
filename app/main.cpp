// The program: one application object, started by the framework's entry point.
#include "app/simulator_app.h"

CSimulatorApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
