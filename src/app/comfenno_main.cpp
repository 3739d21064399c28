#include "config/edition.h"
#include "app/program.h"

int main(int argc, char** argv) { return fenno::RunProgram(fenno::ComfennoEdition(), argc, argv); }
