#include "config/edition.h"
#include "app/program.h"

int main(int argc, char** argv) { return fenno::RunProgram(fenno::NetfennoEdition(), argc, argv); }
