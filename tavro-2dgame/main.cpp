// The process entry: the runtime on the process's own standard input and output, then the
// program entry, whose result becomes the exit status.
#include "runtime.hpp"
#include "tavro.hpp"

int main(int argc, char** argv) {
  tavro2d::rt::start(argc, argv);
  const int status = TAVRO_2DGAME();
  tavro2d::rt::stop(status);
}
