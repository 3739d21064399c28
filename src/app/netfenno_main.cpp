#include "app/program.h"
#include "config/edition.h"

int main(int argc, char** argv) {
  return fenno::RunProgram(fenno::NetfennoEdition(), argc, argv);
}
