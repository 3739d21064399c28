#include "app/program.h"
#include "config/edition.h"

int main(int argc, char** argv) {
  return fenno::RunProgram(fenno::ComfennoEdition(), argc, argv);
}
